// Draws the encoders' results as the fonts print them and reads the pictures with
// zxing-cpp. The expected texts come from the symbologies' own rules, computed here.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "C.h"
#include "Codes.h"
#include "Picture.h"

namespace {

constexpr int kSamples = 3000;

struct Read {
    std::string text;
    std::string symbology;
};

Read Decode(const fernlowe::draw::Symbol& symbol, ZXing::BarcodeFormat format) {
    const fernlowe::draw::Bitmap bitmap = fernlowe::draw::Rasterize(symbol, 2);
    const ZXing::ImageView image(bitmap.pixels.data(), bitmap.width, bitmap.height,
                                 ZXing::ImageFormat::Lum);
    const ZXing::Result result =
        ZXing::ReadBarcode(image, ZXing::DecodeHints().setFormats(format).setIsPure(true));
    return {result.isValid() ? result.text() : "<nothing read>", result.symbologyIdentifier()};
}

std::string ToAscii(const std::u16string& text) {
    std::string ascii;
    for (int code : Codes(text)) {
        ascii.push_back(static_cast<char>(code));
    }
    return ascii;
}

class Generator {
  public:
    explicit Generator(unsigned seed) : engine_(seed) {}
    int Between(int low, int high) { return std::uniform_int_distribution(low, high)(engine_); }
    std::string From(std::string_view characters, int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            text.push_back(characters[Between(0, static_cast<int>(characters.size()) - 1)]);
        }
        return text;
    }
    std::string Codes(int low, int high, int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            text.push_back(static_cast<char>(Between(low, high)));
        }
        return text;
    }

  private:
    std::mt19937 engine_;
};

constexpr std::string_view kDigits = "0123456789";

// The modulo-10 check digit of GS1: weight 3 on the rightmost digit and every second one
// to its left.
char Gs1CheckDigit(const std::string& digits) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int weight = (digits.size() - i) % 2 == 1 ? 3 : 1;
        sum += weight * (digits[i] - '0');
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

}  // namespace

TEST(Decode, Code39) {
    constexpr std::string_view kAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    Generator generate(39);
    const fernlowe::C c;
    for (int n = 0; n < kSamples; ++n) {
        const std::string data =
            generate.From("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%",
                          generate.Between(1, 20));
        const auto checkdigit = static_cast<std::int16_t>(generate.Between(0, 1));
        std::string expected;
        int sum = 0;
        for (char ch : data) {
            expected.push_back(ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch);
            sum += static_cast<int>(kAlphabet.find(expected.back()));
        }
        if (checkdigit == 1) {
            expected.push_back(kAlphabet[sum % 43]);
        }
        const std::string result = ToAscii(c.ode39(Ascii(data), checkdigit, u"*"));
        EXPECT_EQ(
            Decode(fernlowe::draw::DrawCode39(result, "*"), ZXing::BarcodeFormat::Code39).text,
            expected)
            << data << " checkdigit " << checkdigit;
    }
}

TEST(Decode, Interleaved2of5) {
    Generator generate(25);
    const fernlowe::C c;
    for (int n = 0; n < kSamples; ++n) {
        const std::string data = generate.From(kDigits, generate.Between(5, 30));
        const auto checkdigit = static_cast<std::int16_t>(generate.Between(0, 1));
        std::string expected = data;
        if (checkdigit == 1) {
            if (expected.size() % 2 == 0) {
                expected.insert(0, "0");
            }
            expected.push_back(Gs1CheckDigit(expected));
        } else if (expected.size() % 2 == 1) {
            expected.insert(0, "0");
        }
        std::u16string yourdata = Ascii(data);
        const std::string result = ToAscii(c.odeITF(yourdata, checkdigit));
        EXPECT_EQ(
            Decode(fernlowe::draw::DrawInterleaved2of5(result), ZXing::BarcodeFormat::ITF).text,
            expected)
            << data << " checkdigit " << checkdigit;
    }
}

TEST(Decode, Code128) {
    Generator generate(128);
    const fernlowe::C c;
    for (int n = 0; n < kSamples; ++n) {
        const auto format = static_cast<std::int16_t>(generate.Between(0, 5));
        std::string data;
        std::string expected;
        switch (format) {
            case 0:  // set A: space to underscore
                data = expected = generate.Codes(32, 95, generate.Between(1, 20));
                break;
            case 1:  // set B: space to DEL
                data = expected = generate.Codes(32, 127, generate.Between(1, 20));
                break;
            case 2:
            case 4:
                data = expected = generate.From(kDigits, 2 * generate.Between(1, 15));
                break;
            case 3:
                data = generate.From(kDigits, 2 * generate.Between(0, 14) + 1);
                expected = data + Gs1CheckDigit(data);
                break;
            default:  // a finished set B text after its start character
                expected = generate.Codes(32, 126, generate.Between(1, 20));
                data = '\x88' + expected;
                break;
        }
        std::u16string yourdata = Text(std::vector<int>(data.begin(), data.end()));
        const std::string result = ToAscii(c.ode128(yourdata, format));
        const Read read =
            Decode(fernlowe::draw::DrawCode128(result), ZXing::BarcodeFormat::Code128);
        EXPECT_EQ(read.text, expected) << "format " << format;
        EXPECT_EQ(read.symbology, format == 3 || format == 4 ? "]C1" : "]C0")
            << "format " << format;
    }
}

TEST(Decode, UpcEan) {
    const struct {
        const char* name;
        std::u16string (fernlowe::C::*method)(const std::u16string&) const;
        int length;
        ZXing::BarcodeFormat format;
    } symbologies[] = {
        {"UPC-A", &fernlowe::C::odeUPCA, 11, ZXing::BarcodeFormat::UPCA},
        {"EAN-13", &fernlowe::C::odeEAN13, 12, ZXing::BarcodeFormat::EAN13},
        {"EAN-8", &fernlowe::C::odeEAN8, 7, ZXing::BarcodeFormat::EAN8},
    };
    Generator generate(13);
    const fernlowe::C c;
    for (const auto& symbology : symbologies) {
        for (int n = 0; n < kSamples; ++n) {
            const std::string data = generate.From(kDigits, symbology.length);
            const std::string result = ToAscii((c.*symbology.method)(Ascii(data)));
            EXPECT_EQ(Decode(fernlowe::draw::DrawUpcEan(result), symbology.format).text,
                      data + Gs1CheckDigit(data))
                << symbology.name << ' ' << data;
        }
    }
}
