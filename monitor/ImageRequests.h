#pragma once

#include <QString>
#include <mutex>
#include <string>

// What the web server sends back for one request.
struct Reply {
    int status = 200;
    std::string type;
    std::string body;
};

// The endpoints of a batch's images, apart from the web server: the parts of the path as the
// router matched them, each answered on a connection of its own. A part that is no number is a
// bad request (400); a batch, an image or an image's bytes that the centre does not have is not
// found (404); a stored file that cannot be decoded is unprocessable (422); a database that
// cannot be read is unavailable (503). Every failure says which in a short text.
class ImageRequests {
  public:
    explicit ImageRequests(QString connectString) : connectString_(std::move(connectString)) {}

    // /api/batches/{station}/{batch}/images: the batch's images as JSON.
    Reply List(const std::string& station, const std::string& batch) const;
    // /api/images/{station}/{batch}/{file}, file being "{sequence}.png": the image as PNG,
    // converted from the TIFF that the centre keeps.
    Reply Png(const std::string& station, const std::string& batch, const std::string& file) const;

  private:
    const QString connectString_;
    // One image converted at a time, so that the monitor's memory stays that of one sheet.
    mutable std::mutex converting_;
};
