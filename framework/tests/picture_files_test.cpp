// Reading picture files: BMP, PNG and JPEG as other programs write them, damaged files,
// and the picture classes over them.

#include "framework/graphics.h"
#include "graphics/image_decoders.h"
#include "picture_file_writers.h"
#include "qstring_printer.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fw;
using fw::graphics::DecodedImage;
using picture_files::Picture;

namespace {

const uint8_t* bytes(const std::string& file)
{
    return reinterpret_cast<const uint8_t*>(file.data());
}

void expect_pixels(const DecodedImage& image, const Picture& picture, int tolerance = 0)
{
    ASSERT_EQ(image.width, picture.width);
    ASSERT_EQ(image.height, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t got = image.pixels[static_cast<size_t>(y) * picture.width + x];
            const uint32_t want = picture.at(x, y);
            for (int shift = 0; shift <= 16; shift += 8) {
                const int difference = std::abs(static_cast<int>((got >> shift) & 0xFF) -
                                                static_cast<int>((want >> shift) & 0xFF));
                ASSERT_LE(difference, tolerance)
                    << x << "," << y << std::hex << " got " << got << " want " << want;
            }
        }
    }
}

// A picture of few colours, for the palette formats.
Picture checkers(int width, int height, std::vector<uint32_t> colours)
{
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(colours[static_cast<size_t>(x * 3 + y) % colours.size()]);
    return picture;
}

// Every way of cutting the file short is refused.
template <typename Decode>
void expect_truncations_refused(const std::string& file, Decode decode)
{
    for (size_t length = 0; length < file.size(); length += std::max<size_t>(1, file.size() / 97)) {
        DecodedImage image;
        EXPECT_FALSE(decode(bytes(file), length, image))
            << "cut at " << length << " of " << file.size();
    }
}

}

TEST(BmpFiles, EveryBitCountAndLayoutReadsExactly)
{
    const Picture many = picture_files::gradient(13, 7);
    const Picture two = checkers(13, 7, {0x000000, 0xFFFFFF});
    const Picture sixteen =
        checkers(9, 5, {0x102030, 0xA0B0C0, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x123456});
    const struct {
        const char* name;
        const Picture& picture;
        picture_files::BmpOptions options;
    } cases[] = {
        {"24 bits, bottom-up, padded rows", many, {24}},
        {"24 bits, top-down", many, {24, true}},
        {"32 bits", many, {32}},
        {"32 bits with bit fields", many, {32, false, true}},
        {"8 bits with a short palette", sixteen, {8}},
        {"4 bits", sixteen, {4}},
        {"1 bit", two, {1}},
        {"core header", many, {24, false, false, true}},
        {"core header, 8 bits", sixteen, {8, false, false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = picture_files::bmp_file(c.picture, c.options);
        DecodedImage image;
        ASSERT_TRUE(graphics::DecodeBmp(bytes(file), file.size(), image));
        EXPECT_EQ(image.bits_per_pixel, c.options.bits);
        expect_pixels(image, c.picture);
    }

    // 16 bits keep 5 or 6 bits of each channel, scaled back to 0..255.
    const Picture primaries = checkers(4, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000});
    for (const bool fields : {false, true}) {
        const std::string file = picture_files::bmp_file(primaries, {16, false, fields});
        DecodedImage image;
        ASSERT_TRUE(graphics::DecodeBmp(bytes(file), file.size(), image));
        expect_pixels(image, primaries);
    }
}

TEST(BmpFiles, DamagedFilesAreRefused)
{
    const std::string file = picture_files::bmp_file(picture_files::gradient(10, 6), {24});
    expect_truncations_refused(file, graphics::DecodeBmp);

    const auto refused = [](std::string damaged) {
        DecodedImage image;
        return !graphics::DecodeBmp(bytes(damaged), damaged.size(), image);
    };
    std::string run_length = file;
    run_length[30] = 1; // BI_RLE8
    EXPECT_TRUE(refused(run_length));
    std::string huge = file;
    huge[18] = huge[19] = huge[20] = '\x7F'; // width of some two billion
    EXPECT_TRUE(refused(huge));
    std::string far_pixels = file;
    far_pixels[13] = '\x70'; // pixel offset past the end
    EXPECT_TRUE(refused(far_pixels));
    std::string palette_count = picture_files::bmp_file(checkers(4, 4, {0, 0xFFFFFF}), {8});
    palette_count[10] = palette_count[11] = '\0'; // the pixels start before the palette,
    palette_count[46] = '\0';                     // which takes 256 entries the file lacks
    EXPECT_TRUE(refused(palette_count));
}

TEST(PngFiles, ColourTypesDepthsFiltersAndInterlacingReadExactly)
{
    const Picture colours = picture_files::gradient(19, 11);
    DecodedImage image;

    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "plain");
        picture_files::PngOptions options;
        options.interlaced = interlaced;
        options.vary_filters = true;
        const std::string file = picture_files::png_file(colours, options);
        ASSERT_TRUE(graphics::DecodePng(bytes(file), file.size(), image));
        expect_pixels(image, colours);
        EXPECT_TRUE(image.alpha.empty());
    }

    // RGBA at 16 bits: colours and opacity.
    picture_files::PngOptions rgba;
    rgba.colour_type = 6;
    rgba.depth = 16;
    rgba.vary_filters = true;
    for (size_t i = 0; i < colours.pixels.size(); ++i)
        rgba.alpha.push_back(static_cast<uint8_t>(i * 7));
    std::string file = picture_files::png_file(colours, rgba);
    ASSERT_TRUE(graphics::DecodePng(bytes(file), file.size(), image));
    expect_pixels(image, colours);
    EXPECT_EQ(image.alpha, rgba.alpha);

    // Grey levels at 1, 2 and 16 bits.
    for (const int depth : {1, 2, 16}) {
        SCOPED_TRACE(depth);
        picture_files::PngOptions grey;
        grey.colour_type = 0;
        grey.depth = depth;
        grey.interlaced = depth == 2;
        Picture expected{23, 5, {}};
        const uint32_t top = depth == 16 ? 65535 : (1u << depth) - 1;
        for (int i = 0; i < 23 * 5; ++i) {
            const uint32_t level = static_cast<uint32_t>(i * 5) % (top + 1);
            grey.samples.push_back(static_cast<uint16_t>(level));
            const uint32_t byte = depth == 16 ? level >> 8 : level * 255 / top;
            expected.pixels.push_back(byte << 16 | byte << 8 | byte);
        }
        file = picture_files::png_file(expected, grey);
        ASSERT_TRUE(graphics::DecodePng(bytes(file), file.size(), image));
        expect_pixels(image, expected);
    }

    // A 4-bit palette with transparency for its first entries.
    picture_files::PngOptions indexed;
    indexed.colour_type = 3;
    indexed.depth = 4;
    indexed.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    indexed.palette_alpha = {0, 128};
    Picture expected{7, 3, {}};
    std::vector<uint8_t> expected_alpha;
    for (int i = 0; i < 21; ++i) {
        indexed.samples.push_back(static_cast<uint16_t>(i % 3));
        expected.pixels.push_back(indexed.palette[static_cast<size_t>(i % 3)]);
        expected_alpha.push_back(i % 3 == 0 ? 0 : i % 3 == 1 ? 128 : 255);
    }
    file = picture_files::png_file(expected, indexed);
    ASSERT_TRUE(graphics::DecodePng(bytes(file), file.size(), image));
    expect_pixels(image, expected);
    EXPECT_EQ(image.alpha, expected_alpha);
}

TEST(PngFiles, DamagedFilesAreRefused)
{
    picture_files::PngOptions options;
    options.vary_filters = true;
    const std::string file = picture_files::png_file(picture_files::gradient(16, 9), options);
    expect_truncations_refused(file, graphics::DecodePng);

    const auto refused = [](const std::string& damaged) {
        DecodedImage image;
        return !graphics::DecodePng(bytes(damaged), damaged.size(), image);
    };
    std::string bad_checksum = file;
    bad_checksum[30] ^= 1;
    EXPECT_TRUE(refused(bad_checksum));

    // A header that asks for far more pixels than its image data can hold.
    std::string header;
    for (const uint8_t byte :
         {0x00, 0x00, 0x3E, 0x80, 0x00, 0x00, 0x3E, 0x80, 0x08, 0x02, 0x00, 0x00, 0x00})
        header.push_back(static_cast<char>(byte));
    const std::string oversized =
        std::string("\x89PNG\r\n\x1A\n", 8) + picture_files::png_chunk("IHDR", header) +
        picture_files::png_chunk("IDAT", std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)) +
        picture_files::png_chunk("IEND", "");
    EXPECT_TRUE(refused(oversized));

    // An unknown chunk that a reader must understand, and a palette picture without one.
    std::string critical = file;
    critical.insert(33, picture_files::png_chunk("ZZZZ", "x"));
    EXPECT_TRUE(refused(critical));
    picture_files::PngOptions no_palette;
    no_palette.colour_type = 3;
    no_palette.samples.assign(4, 0);
    EXPECT_TRUE(refused(picture_files::png_file(checkers(2, 2, {0}), no_palette)));
}

TEST(JpegFiles, ColourGreyAndProgressiveReadWithinTolerance)
{
    // A smooth picture survives compression at high quality nearly unchanged.
    Picture smooth{48, 32, {}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            smooth.pixels.push_back(static_cast<uint32_t>((x * 4) << 16 | (y * 6) << 8 | 0x80));
    for (const bool progressive : {false, true}) {
        const std::string file = picture_files::jpeg_file(smooth, 98, false, progressive);
        DecodedImage image;
        ASSERT_TRUE(graphics::DecodeJpeg(bytes(file), file.size(), image));
        expect_pixels(image, smooth, 6);
    }
    Picture grey{16, 16, {}};
    for (int i = 0; i < 256; ++i)
        grey.pixels.push_back(0x606060);
    const std::string file = picture_files::jpeg_file(grey, 90, true, false);
    DecodedImage image;
    ASSERT_TRUE(graphics::DecodeJpeg(bytes(file), file.size(), image));
    expect_pixels(image, grey, 2);
}

TEST(JpegFiles, DamagedFilesAreRefused)
{
    const std::string file =
        picture_files::jpeg_file(picture_files::gradient(40, 24), 80, false, false);
    expect_truncations_refused(file, graphics::DecodeJpeg);

    // A frame header that asks for 60000 x 60000 pixels from a few hundred bytes.
    std::string huge = file;
    const size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge[frame + 5] = huge[frame + 7] = '\xEA';
    huge[frame + 6] = huge[frame + 8] = '\x60';
    DecodedImage image;
    EXPECT_FALSE(graphics::DecodeJpeg(bytes(huge), huge.size(), image));
    std::string garbage(200, '\xFF');
    EXPECT_FALSE(graphics::DecodeJpeg(bytes(garbage), garbage.size(), image));
}

TEST(PictureClasses, LoadFilesAndHandThemToBitmaps)
{
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const Picture picture = picture_files::gradient(6, 4);
    const QString bmp =
        QString::fromStdString(folder.write("a.BMP", picture_files::bmp_file(picture, {24})));
    picture_files::PngOptions half_clear;
    half_clear.colour_type = 6;
    half_clear.alpha.assign(24, 255);
    half_clear.alpha[0] = 0;
    const QString png =
        QString::fromStdString(folder.write("b.png", picture_files::png_file(picture, half_clear)));
    const QString jpeg = QString::fromStdString(
        folder.write("c.jpeg", picture_files::jpeg_file(picture, 90, false, false)));
    const QString broken = QString::fromStdString(folder.write("d.png", "\x89PNG\r\n"));

    TPicture loaded;
    loaded.LoadFromFile(bmp);
    ASSERT_NE(dynamic_cast<TBitmap*>(loaded.Graphic()), nullptr);
    EXPECT_EQ(loaded.Bitmap()->PixelFormat(), pf24bit);
    loaded.LoadFromFile(png);
    ASSERT_NE(dynamic_cast<TPngImage*>(loaded.Graphic()), nullptr);
    loaded.LoadFromFile(jpeg);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(loaded.Graphic()), nullptr);
    EXPECT_EQ(loaded.Width(), 6);
    EXPECT_THROW(loaded.LoadFromFile(broken), EInvalidGraphic);
    EXPECT_THROW(loaded.LoadFromFile(QString::fromStdString(folder.path("none.png"))), EFOpenError);

    // The PNG's colours go to a bitmap without their alpha; drawn, it blends.
    TPngImage image;
    image.LoadFromFile(png);
    TBitmap bitmap;
    bitmap.Assign(&image);
    EXPECT_EQ(static_cast<const uint32_t*>(bitmap.ScanLine(0))[0] & 0xFFFFFF, picture.at(0, 0));
    TBitmap target;
    target.SetSize(6, 4);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 6, 4));
    target.Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(static_cast<const uint32_t*>(target.ScanLine(0))[0] & 0xFFFFFF, 0xFFFFFFu) << "clear";
    EXPECT_EQ(static_cast<const uint32_t*>(target.ScanLine(1))[2] & 0xFFFFFF, picture.at(2, 1))
        << "opaque";
}
