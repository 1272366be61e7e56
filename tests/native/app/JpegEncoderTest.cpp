// The baseline JPEG encoder, judged by libjpeg's own decoder (djpeg) and byte by byte.
#include "app/output/imaging/JpegEncoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Image {
  int width = 0, height = 0, channels = 3;  // rows top-down; BGR or grey
  std::vector<uint8_t> pixels;
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width * channels; }
};

// Smooth colour ramps with a few hard edges, like a photograph on a page.
Image Scene(int width, int height, int channels) {
  Image image{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.pixels.data() + (static_cast<size_t>(y) * width + x) * channels;
      const bool box = x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2;
      for (int c = 0; c < channels; ++c)
        p[c] = box ? static_cast<uint8_t>(40 + 60 * c)
                   : static_cast<uint8_t>((x * 255 / width + y * (c + 1) * 3) & 255);
    }
  return image;
}

Image Noise(int width, int height, int channels, unsigned seed) {
  Image image{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
  for (auto& v : image.pixels) {
    seed = seed * 1103515245u + 12345u;
    v = static_cast<uint8_t>(seed >> 16);
  }
  return image;
}

bool Collect(void* context, const uint8_t* data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), data, data + size);
  return true;
}

std::vector<uint8_t> Encode(const Image& image, int quality, int xDpi = 0, int yDpi = 0) {
  CJpegEncoder encoder;
  CJpegEncoder::Settings settings;
  settings.width = image.width;
  settings.height = image.height;
  settings.layout = image.channels == 3 ? CJpegEncoder::Layout::kBgr : CJpegEncoder::Layout::kGrey;
  settings.quality = quality;
  settings.xDpi = xDpi;
  settings.yDpi = yDpi;
  std::vector<uint8_t> out;
  EXPECT_TRUE(encoder.Begin(settings, Collect, &out));
  for (int y = 0; y < image.height; ++y) EXPECT_TRUE(encoder.AddRow(image.Row(y)));
  EXPECT_TRUE(encoder.Finish());
  return out;
}

// Decodes with djpeg into BGR or grey rows; fails the test when djpeg complains.
Image Decode(const std::vector<uint8_t>& jpeg) {
  char name[] = "/tmp/jpegtestXXXXXX";
  const int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, jpeg.data(), jpeg.size()), static_cast<ssize_t>(jpeg.size()));
  close(fd);
  const std::string base(name);
  const std::string command = "djpeg -pnm -outfile " + base + ".pnm " + base + " 2>" + base + ".err";
  const int status = std::system(command.c_str());
  std::ifstream err(base + ".err");
  const std::string complaint((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
  std::ifstream in(base + ".pnm", std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  Image image{width, height, magic == "P6" ? 3 : 1, {}};
  image.pixels.resize(static_cast<size_t>(width) * height * image.channels);
  in.read(reinterpret_cast<char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
  for (size_t i = 0; image.channels == 3 && i < image.pixels.size(); i += 3)
    std::swap(image.pixels[i], image.pixels[i + 2]);
  std::remove(base.c_str());
  std::remove((base + ".pnm").c_str());
  std::remove((base + ".err").c_str());
  EXPECT_EQ(status, 0) << "djpeg missing or failed (scripts/setup installs it)";
  EXPECT_EQ(complaint, "");
  return image;
}

// The same pixels through cjpeg at the same quality: the reference for size and fidelity.
std::vector<uint8_t> ReferenceEncode(const Image& image, int quality) {
  char name[] = "/tmp/jpegrefXXXXXX";
  const int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  std::string header = (image.channels == 3 ? "P6\n" : "P5\n") + std::to_string(image.width) + " " +
                       std::to_string(image.height) + "\n255\n";
  std::vector<uint8_t> body(image.pixels);
  for (size_t i = 0; image.channels == 3 && i < body.size(); i += 3) std::swap(body[i], body[i + 2]);
  EXPECT_EQ(write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
  EXPECT_EQ(write(fd, body.data(), body.size()), static_cast<ssize_t>(body.size()));
  close(fd);
  const std::string base(name);
  const std::string command =
      "cjpeg -quality " + std::to_string(quality) + " -outfile " + base + ".jpg " + base;
  EXPECT_EQ(std::system(command.c_str()), 0) << "cjpeg missing or failed (scripts/setup installs it)";
  std::ifstream in(base + ".jpg", std::ios::binary);
  std::vector<uint8_t> out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(base.c_str());
  std::remove((base + ".jpg").c_str());
  return out;
}

double Psnr(const Image& a, const Image& b) {
  if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = double(a.pixels[i]) - double(b.pixels[i]);
    sum += d * d;
  }
  const double mse = sum / a.pixels.size();
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The payload of the first segment with the given marker (after its length field).
std::vector<uint8_t> Segment(const std::vector<uint8_t>& jpeg, uint8_t marker) {
  for (size_t i = 2; i + 4 <= jpeg.size();) {
    if (jpeg[i] != 0xFF) break;
    const size_t length = jpeg[i + 2] << 8 | jpeg[i + 3];
    if (jpeg[i + 1] == marker)
      return std::vector<uint8_t>(jpeg.begin() + i + 4, jpeg.begin() + i + 2 + length);
    i += 2 + length;
  }
  return {};
}

TEST(JpegTables, QualityScalesTheExampleTables) {
  uint16_t table[64];
  jpeg::ScaledQuantTable(0, 50, table);
  EXPECT_EQ(table[0], 16);
  EXPECT_EQ(table[1], 11);
  EXPECT_EQ(table[8], 12);
  EXPECT_EQ(table[63], 99);
  jpeg::ScaledQuantTable(1, 50, table);
  EXPECT_EQ(table[0], 17);
  EXPECT_EQ(table[63], 99);
  jpeg::ScaledQuantTable(0, 25, table);  // twice as coarse
  EXPECT_EQ(table[0], 32);
  EXPECT_EQ(table[63], 198);
  jpeg::ScaledQuantTable(0, 75, table);  // half
  EXPECT_EQ(table[0], 8);
  EXPECT_EQ(table[2], 5);
  for (int quality : {100, 250}) {
    jpeg::ScaledQuantTable(1, quality, table);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(table[i], 1) << quality;
  }
  for (int quality : {1, 0, -5}) {
    jpeg::ScaledQuantTable(0, quality, table);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(table[i], 255) << quality;  // baseline's limit
  }
}

TEST(JpegTables, ZigzagWalksTheDiagonals) {
  bool seen[64] = {};
  for (int k = 0; k < 64; ++k) {
    const int i = jpeg::kZigzag[k];
    ASSERT_FALSE(seen[i]);
    seen[i] = true;
    if (k == 0) continue;
    const int p = jpeg::kZigzag[k - 1];
    const int diagonal = i / 8 + i % 8, previous = p / 8 + p % 8;
    // Along one diagonal, or one step onto the next at the block's edge.
    EXPECT_TRUE(diagonal == previous || diagonal == previous + 1) << k;
  }
}

TEST(JpegTables, HuffmanCodesAreTheCanonicalExampleCodes) {
  jpeg::HuffmanCodes dc, ac;
  jpeg::BuildHuffmanCodes(jpeg::kDcLuminance, dc);
  EXPECT_EQ(dc.length[0], 2);
  EXPECT_EQ(dc.code[0], 0b00);
  EXPECT_EQ(dc.length[1], 3);
  EXPECT_EQ(dc.code[1], 0b010);
  EXPECT_EQ(dc.code[5], 0b110);
  EXPECT_EQ(dc.length[6], 4);
  EXPECT_EQ(dc.code[6], 0b1110);
  EXPECT_EQ(dc.length[11], 9);
  EXPECT_EQ(dc.code[11], 0b111111110);
  jpeg::BuildHuffmanCodes(jpeg::kAcLuminance, ac);
  EXPECT_EQ(ac.length[0x01], 2);
  EXPECT_EQ(ac.code[0x01], 0b00);
  EXPECT_EQ(ac.length[0x00], 4);  // end of block
  EXPECT_EQ(ac.code[0x00], 0b1010);
  EXPECT_EQ(ac.length[0xF0], 11);  // sixteen zeros
  EXPECT_EQ(ac.code[0xF0], 0b11111111001);
  EXPECT_EQ(ac.length[0xFA], 16);
  EXPECT_EQ(ac.code[0xFA], 0xFFFE);

  for (const jpeg::HuffmanSpec* spec : {&jpeg::kAcLuminance, &jpeg::kAcChrominance}) {
    ASSERT_EQ(spec->symbolCount, 162);
    jpeg::BuildHuffmanCodes(*spec, ac);
    // Every run/size pair a block can need has a code.
    for (int run = 0; run < 16; ++run)
      for (int size = 1; size <= 10; ++size) EXPECT_GT(ac.length[run << 4 | size], 0) << run << "/" << size;
  }
  jpeg::BuildHuffmanCodes(jpeg::kDcChrominance, dc);
  for (int size = 0; size <= 11; ++size) EXPECT_GT(dc.length[size], 0);
}

// Fidelity and size beside cjpeg's on the same pixels at the same quality.
void ExpectLikeReference(const Image& image, int quality, const char* what) {
  const std::vector<uint8_t> ours = Encode(image, quality), reference = ReferenceEncode(image, quality);
  const Image back = Decode(ours);
  ASSERT_EQ(back.width, image.width) << what;
  ASSERT_EQ(back.height, image.height) << what;
  ASSERT_EQ(back.channels, image.channels) << what;
  EXPECT_GT(Psnr(image, back), Psnr(image, Decode(reference)) - 0.2) << what;
  EXPECT_LT(std::fabs(double(ours.size()) - double(reference.size())), 0.05 * reference.size() + 64) << what;
}

TEST(JpegEncoder, DecodesLikeTheReferenceAtEverySize) {
  // Sizes that fill whole blocks and MCUs, and sizes that leave edges to pad.
  for (int channels : {3, 1})
    for (auto size : {std::pair<int, int>{1, 1}, {7, 5}, {16, 16}, {17, 33}, {203, 151}}) {
      const std::string what =
          std::to_string(size.first) + "x" + std::to_string(size.second) + "x" + std::to_string(channels);
      ExpectLikeReference(Scene(size.first, size.second, channels), 50, what.c_str());
    }
  // At quality 100 only the transform's rounding is left.
  const Image noise = Noise(64, 48, 1, 7);
  EXPECT_GT(Psnr(noise, Decode(Encode(noise, 100))), 40.0);
}

TEST(JpegEncoder, NoiseStuffsMarkerBytesCorrectly) {
  // Noise at high quality makes many 0xFF data bytes; a missing stuffing byte breaks decoding.
  const Image noise = Noise(160, 120, 3, 99);
  ExpectLikeReference(noise, 95, "noise");
  const std::vector<uint8_t> jpeg = Encode(noise, 95);
  size_t stuffed = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) stuffed += jpeg[i] == 0xFF && jpeg[i + 1] == 0;
  EXPECT_GT(stuffed, 10u);
}

TEST(JpegEncoder, QualityChoosesTheTablesAndTheSize) {
  const Image image = Scene(320, 240, 3);
  const auto q10 = Encode(image, 10), q50 = Encode(image, 50), q90 = Encode(image, 90);
  EXPECT_LT(q10.size(), q50.size());
  EXPECT_LT(q50.size(), q90.size());
  EXPECT_GT(Psnr(image, Decode(q90)), Psnr(image, Decode(q50)));

  const std::vector<uint8_t> dqt = Segment(q50, 0xDB);
  ASSERT_EQ(dqt.size(), 130u);
  EXPECT_EQ(dqt[0], 0);
  EXPECT_EQ(dqt[1], 16);  // luminance DC divisor at quality 50
  EXPECT_EQ(dqt[65], 1);
  EXPECT_EQ(dqt[66], 17);  // chrominance
  const std::vector<uint8_t> sof = Segment(q50, 0xC0);
  ASSERT_EQ(sof.size(), 15u);
  EXPECT_EQ(sof[1] << 8 | sof[2], 240);
  EXPECT_EQ(sof[3] << 8 | sof[4], 320);
  EXPECT_EQ(sof[7], 0x22);  // luminance twice as dense both ways
  EXPECT_EQ(sof[10], 0x11);
}

TEST(JpegEncoder, ResolutionGoesIntoTheJfifHeader) {
  const Image image = Scene(32, 32, 3);
  std::vector<uint8_t> app0 = Segment(Encode(image, 50, 300, 150), 0xE0);
  ASSERT_EQ(app0.size(), 14u);
  EXPECT_EQ(std::string(app0.begin(), app0.begin() + 5), std::string("JFIF\0", 5));
  EXPECT_EQ(app0[7], 1);  // dots per inch
  EXPECT_EQ(app0[8] << 8 | app0[9], 300);
  EXPECT_EQ(app0[10] << 8 | app0[11], 150);
  app0 = Segment(Encode(image, 50, 0, 0), 0xE0);
  ASSERT_EQ(app0.size(), 14u);
  EXPECT_EQ(app0[7], 0);  // aspect ratio only
  EXPECT_EQ(app0[8] << 8 | app0[9], 1);
  EXPECT_EQ(app0[10] << 8 | app0[11], 1);
}

// The encoder's output, byte for byte, as the first release wrote it (a 64-bit FNV-1a hash of the
// whole file): faster inner loops must not change a single bit of a saved page.
uint64_t Fingerprint(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

TEST(JpegEncoder, WritesTheSameBytesAsTheFirstRelease) {
  struct Case {
    Image image;
    int quality;
    size_t size;
    uint64_t hash;
  };
  const Case cases[] = {
      {Scene(1, 1, 3), 50, 615, 0x01590d4771f3ef91ull},
      {Scene(17, 33, 3), 50, 897, 0x5b6bc3f2a078427aull},
      {Scene(203, 151, 3), 50, 5846, 0xbe51056dbf342045ull},
      {Scene(640, 480, 3), 10, 18454, 0xcd148e4dd0544b06ull},
      {Noise(160, 120, 3, 99), 95, 23737, 0x2b473dffe0022ef1ull},
      {Noise(61, 45, 3, 5), 100, 6648, 0x546bb0cf77d9cf6bull},
      {Scene(203, 151, 1), 50, 2729, 0x59635affd8763bdcull},
      {Noise(64, 48, 1, 7), 100, 5146, 0x24f5eb40fc66e3acull},
      {Scene(9, 300, 1), 75, 1429, 0x168c815f812e921aull},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> jpeg = Encode(c.image, c.quality, 300, 300);
    EXPECT_EQ(jpeg.size(), c.size) << c.image.width << "x" << c.image.height << "x" << c.image.channels;
    EXPECT_EQ(Fingerprint(jpeg), c.hash) << c.image.width << "x" << c.image.height << "x" << c.image.channels;
  }
}

bool Refuse(void*, const uint8_t*, size_t) { return false; }
bool RefuseLater(void* context, const uint8_t*, size_t) { return --*static_cast<int*>(context) > 0; }

TEST(JpegEncoder, RefusesWhatItCannotWrite) {
  CJpegEncoder encoder;
  CJpegEncoder::Settings settings;
  std::vector<uint8_t> out;
  settings.width = 0;
  settings.height = 10;
  EXPECT_FALSE(encoder.Begin(settings, Collect, &out));
  settings.width = 65536;
  EXPECT_FALSE(encoder.Begin(settings, Collect, &out));
  settings.width = 65535;
  settings.height = 2;
  EXPECT_TRUE(encoder.Begin(settings, Collect, &out));

  // Too few rows, then too many.
  settings.width = 8;
  ASSERT_TRUE(encoder.Begin(settings, Collect, &out));
  const uint8_t row[24] = {};
  EXPECT_TRUE(encoder.AddRow(row));
  EXPECT_FALSE(encoder.Finish());
  ASSERT_TRUE(encoder.Begin(settings, Collect, &out));
  EXPECT_TRUE(encoder.AddRow(row));
  EXPECT_TRUE(encoder.AddRow(row));
  EXPECT_FALSE(encoder.AddRow(row));

  // A sink that gives up (a full disk) fails the encoding, at the start or on the way.
  EXPECT_FALSE(encoder.Begin(settings, Refuse, nullptr));
  const Image noise = Noise(256, 256, 3, 3);
  settings.width = 256;
  settings.height = 256;
  int allowed = 2;
  ASSERT_TRUE(encoder.Begin(settings, RefuseLater, &allowed));
  bool ok = true;
  for (int y = 0; y < 256 && ok; ++y) ok = encoder.AddRow(noise.Row(y));
  EXPECT_FALSE(ok && encoder.Finish());
}

}  // namespace
