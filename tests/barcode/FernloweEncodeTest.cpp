// Runs the fernlowe-encode tool as its users do.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class FernloweEncode : public ::testing::Test {
  protected:
    std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                 ("fernlowe-encode-test-" + std::to_string(getpid()));
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    ToolRun Encode(const std::vector<std::string>& args) {
        std::string command = Quote(FERNLOWE_ENCODE);
        for (const std::string& arg : args) {
            command += ' ' + Quote(arg);
        }
        command += " 2>" + Quote(dir_ / "stderr");
        ToolRun run{};
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            run.out.append(buffer, n);
        }
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = Slurp(dir_ / "stderr");
        return run;
    }

    // The text zxing-cpp reads from a PNG file the tool wrote.
    std::string ReadPng(const std::filesystem::path& path, ZXing::BarcodeFormat format) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) {
            return "<no PNG>";
        }
        image.format = PNG_FORMAT_GRAY;
        std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        const ZXing::Result result =
            ZXing::ReadBarcode({pixels.data(), static_cast<int>(image.width),
                                static_cast<int>(image.height), ZXing::ImageFormat::Lum},
                               ZXing::DecodeHints().setFormats(format));
        return result.isValid() ? result.text() : "<nothing read>";
    }
};

}  // namespace

TEST_F(FernloweEncode, Results) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"Code39", "--checkdigit", "1", "--delim", "*", "abc"}, "*ABCX*\n"},
        {{"Code39", "--delim", "*", "--checkdigit", "0", "--data-codes", "97 233"}, "*A\u00C9*\n"},
        {{"Code39", "--checkdigit", "0", "--delim", "", "--", "--a"}, "--A\n"},
        {{"CodeITF", "--checkdigit", "0", "-31234"}, "<errorCBAADCCBAB>\n"},
        {{"CodeITF", "--checkdigit", "1", "--show-data", "1234"}, "<BACCBBDAACBACBC>\n012348\n"},
        {{"Code128", "--format", "1", "ABC"}, "\u02C6ABC!\u0160\n"},
        {{"Code128", "--format", "1", "--codes", "ABC"}, "136 65 66 67 33 138\n"},
        {{"Code128", "--format", "2", "--codes", "--show-data", "12345"},
         "137 44 66 37 197 138\n137 44 66 37 197\n"},
        {{"Code128", "--format", "7", "--codes", "--data-codes", "136 65"}, "136 65 66 138\n"},
        {{"CodeUPCA", "--codes", "03600029145"},
         "117 60 48 36 39 33 33 33 61 99 106 98 101 102 67 60 119\n"},
        {{"CodeUPCA", "--show-data", "0360002914"}, "\n0360002914\n"},
        {{"CodeEAN13", "400638133393"}, "y<!k'$sl=dddjdb<\n"},
        {{"CodeEAN8", "--codes", ""}, "60 33 33 33 33 61 97 97 97 97 60\n"},
    };
    for (const auto& t : cases) {
        const ToolRun run = Encode(t.args);
        EXPECT_EQ(run.status, 0) << t.args[0] << ' ' << run.err;
        EXPECT_EQ(run.out, t.out) << t.args[0];
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(FernloweEncode, ErrorsOfTheReportFunction) {
    const ToolRun overflow =
        Encode({"Code128", "--format", "1", "--show-data", std::string(64, '0')});
    EXPECT_EQ(overflow.status, 1);
    EXPECT_EQ(overflow.out, "");
    EXPECT_EQ(overflow.err, "error 6: Overflow\n");
    const ToolRun empty = Encode({"Code128", "--format", "9", ""});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "error 5: Invalid procedure call or argument\n");
}

TEST_F(FernloweEncode, BadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"Code93", "1"},
        {"code39", "--checkdigit", "0", "--delim", "*", "A"},
        {"Code39", "--checkdigit", "0", "A"},
        {"Code39", "--delim", "*", "A"},
        {"CodeITF", "--checkdigit", "32768", "1"},
        {"CodeITF", "--checkdigit", "1x", "1"},
        {"CodeITF", "--checkdigit", "", "1"},
        {"CodeITF", "--checkdigit", "1", "--checkdigit", "0", "1"},
        {"CodeITF", "--checkdigit", "1"},
        {"CodeITF", "--checkdigit", "1", "12", "34"},
        {"CodeITF", "--checkdigit", "1", "--data-codes", "49", "2"},
        {"CodeITF", "--format", "1", "1"},
        {"Code128", "--format"},
        {"Code128", "--format", "1", "--data-codes", "256"},
        {"Code128", "--format", "1", "--data-codes", "65,66"},
        {"Code128", "--format", "1", "--data-codes", "-1"},
        {"Code128", "--format", "1", "\xC3"},
        {"Code128", "--format", "1", "\xED\xA0\x80"},  // a surrogate written as UTF-8
        {"CodeUPCA", "--delim", "*", "1"},
        {"CodeEAN8", "--svg"},
    };
    for (const auto& args : cases) {
        const ToolRun run = Encode(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]) << ' ' << run.out;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("\nusage: fernlowe-encode "), std::string::npos) << run.err;
    }
}

TEST_F(FernloweEncode, PicturesReadBackAsTheData) {
    const struct {
        std::vector<std::string> args;
        ZXing::BarcodeFormat format;
        std::string text;
    } cases[] = {
        {{"Code39", "--checkdigit", "1", "--delim", "*", "code 39"},
         ZXing::BarcodeFormat::Code39,
         "CODE 39R"},
        {{"CodeITF", "--checkdigit", "1", "12345"}, ZXing::BarcodeFormat::ITF, "123457"},
        {{"Code128", "--format", "1", "Fernlowe 128"},
         ZXing::BarcodeFormat::Code128,
         "Fernlowe 128"},
        {{"CodeUPCA", "03600029145"}, ZXing::BarcodeFormat::UPCA, "036000291452"},
        {{"CodeEAN13", "400638133393"}, ZXing::BarcodeFormat::EAN13, "4006381333931"},
        {{"CodeEAN8", "9638507"}, ZXing::BarcodeFormat::EAN8, "96385074"},
    };
    for (auto t : cases) {
        const std::filesystem::path png = dir_ / "symbol.png";
        const std::filesystem::path svg = dir_ / "symbol.svg";
        t.args.insert(t.args.end() - 1, {"--png", png.string(), "--svg", svg.string()});
        const ToolRun run = Encode(t.args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadPng(png, t.format), t.text) << t.args[0];
        const std::string picture = Slurp(svg);
        EXPECT_TRUE(picture.starts_with("<?xml")) << t.args[0];
        EXPECT_NE(picture.find("<rect x="), std::string::npos) << t.args[0];
        // Only the UPC/EAN font prints figures.
        EXPECT_EQ(picture.find("<text") != std::string::npos,
                  t.args[0].starts_with("CodeUPCA") || t.args[0].starts_with("CodeEAN"))
            << t.args[0];
    }
}

TEST_F(FernloweEncode, ResultsTheFontCannotPrintAreNotDrawn) {
    const std::vector<std::vector<std::string>> cases = {
        {"Code39", "--checkdigit", "0", "--delim", "*", "a_b"},
        {"CodeITF", "--checkdigit", "0", "12-345"},
        {"Code128", "--format", "2", "-9"},
    };
    for (auto args : cases) {
        args.insert(args.begin() + 1, {"--png", (dir_ / "symbol.png").string()});
        const ToolRun run = Encode(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_NE(run.err.find("cannot draw"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir_ / "symbol.png"));
    }
}
