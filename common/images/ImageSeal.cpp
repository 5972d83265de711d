#include "images/ImageSeal.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <array>
#include <memory>

namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Digest = std::unique_ptr<EVP_MD_CTX, DigestFree>;

Digest NewDigest() {
    Digest digest(EVP_MD_CTX_new());
    if (!digest || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1) {
        throw std::bad_alloc();
    }
    return digest;
}

// An image file open for reading, closed however its seal ends: the digest can fail to start.
class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    int fd() const { return fd_; }

  private:
    const int fd_;
};

std::string Hex(EVP_MD_CTX* digest) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> value{};
    unsigned int size = 0;
    EVP_DigestFinal_ex(digest, value.data(), &size);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += digits[value[i] >> 4];
        hex += digits[value[i] & 15];
    }
    return hex;
}

}  // namespace

std::string SealOfFile(const std::string& path) {
    // Plain reads into one buffer: the seal of a ballot image costs little more than opening it.
    const ReadOnlyFile file(path);
    if (file.fd() < 0) {
        return {};
    }
    const Digest digest = NewDigest();
    std::array<unsigned char, 65536> buffer;
    ssize_t read = 0;
    while ((read = ::read(file.fd(), buffer.data(), buffer.size())) > 0) {
        EVP_DigestUpdate(digest.get(), buffer.data(), static_cast<std::size_t>(read));
    }
    if (read < 0) {
        return {};
    }
    return Hex(digest.get());
}

std::string SealOfBytes(std::string_view bytes) {
    const Digest digest = NewDigest();
    EVP_DigestUpdate(digest.get(), bytes.data(), bytes.size());
    return Hex(digest.get());
}

std::string SealOfBatch(const std::vector<std::string>& seals) {
    const Digest digest = NewDigest();
    for (const std::string& seal : seals) {
        EVP_DigestUpdate(digest.get(), seal.data(), seal.size());
        EVP_DigestUpdate(digest.get(), "\n", 1);
    }
    return Hex(digest.get());
}
