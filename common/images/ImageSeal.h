#pragma once

#include <string>
#include <string_view>
#include <vector>

// An image's seal: the SHA-256 of its file's bytes, as 64 lower-case hex digits. It is taken
// once, when the scanner has written the file, and vouches for the file from then on.

// The seal of the file as it is now; empty when the file cannot be read (a missing file
// included).
std::string SealOfFile(const std::string& path);
// The seal of bytes already read from an image's file.
std::string SealOfBytes(std::string_view bytes);

// The seal of a file's bytes held in memory, as of the centre's copy of an image.
std::string SealOfBytes(std::string_view bytes);

// The batch's seal: the SHA-256 over its images' seals in their order, each followed by a line
// feed, so that `sha256sum *.tif | cut -c1-64 | sha256sum` over the batch folder gives it again.
std::string SealOfBatch(const std::vector<std::string>& seals);
