// Turns the text pixel map icon.txt into what the executable and the README
// need: the 16-colour icon image (744 bytes) and its one-entry icon group as
// raw resources, an .ico file, and a PNG preview drawn four times larger.
//
//   make_icon icon.txt OUTPUT_FOLDER
#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kPreviewScale = 4;
constexpr std::uint16_t kIconImageId = 30001;

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<int>;  // palette index per pixel, -1 for transparent

// The standard 16-colour palette, as red, green, blue.
constexpr std::array<std::array<std::uint8_t, 3>, 16> kPalette = {{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0},
    {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Put32BigEndian(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

bool ReadPixelMap(const std::string& path, Pixels& pixels) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.size() != kSize) return false;
    for (char c : line) {
      const std::size_t index = std::string("0123456789ABCDEF").find(c);
      if (c != '.' && index == std::string::npos) return false;
      pixels.push_back(c == '.' ? -1 : static_cast<int>(index));
    }
  }
  return pixels.size() == kSize * kSize;
}

// BITMAPINFOHEADER, palette, 4-bit colour rows and the 1-bit transparency
// mask, both bottom row first; the header's height counts both halves.
Bytes IconImage(const Pixels& pixels) {
  Bytes out;
  Put32(out, 40);
  Put32(out, kSize);
  Put32(out, 2 * kSize);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, 0);  // no compression
  Put32(out, kSize * kSize / 2 + kSize * kSize / 8);
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution, colours used and important
  for (const auto& [red, green, blue] : kPalette) out.insert(out.end(), {blue, green, red, 0});
  for (int y = kSize - 1; y >= 0; --y)
    for (int x = 0; x < kSize; x += 2) {
      const int left = pixels[y * kSize + x], right = pixels[y * kSize + x + 1];
      out.push_back(static_cast<std::uint8_t>((left < 0 ? 0 : left) << 4 | (right < 0 ? 0 : right)));
    }
  for (int y = kSize - 1; y >= 0; --y)
    for (int x = 0; x < kSize; x += 8) {
      std::uint8_t mask = 0;
      for (int bit = 0; bit < 8; ++bit)
        if (pixels[y * kSize + x + bit] < 0) mask |= 0x80 >> bit;
      out.push_back(mask);
    }
  return out;
}

// Width, height, colours, reserved, planes, bits per pixel, size: the part
// that icon group entries and .ico entries share.
void PutEntry(Bytes& out, std::size_t image_size) {
  out.insert(out.end(), {kSize, kSize, 16, 0});
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, static_cast<std::uint32_t>(image_size));
}

Bytes IconGroup(std::size_t image_size) {
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // icons
  Put16(out, 1);  // entries
  PutEntry(out, image_size);
  Put16(out, kIconImageId);
  return out;
}

Bytes IcoFile(const Bytes& image) {
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  PutEntry(out, image.size());
  Put32(out, 6 + 16);  // offset of the image
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
  Put32BigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32BigEndian(png, Crc32(png.data() + start, png.size() - start));
}

// RGBA, enlarged without smoothing; the zlib stream uses stored (not
// compressed) blocks, which every PNG reader accepts.
Bytes PreviewPng(const Pixels& pixels) {
  const int size = kSize * kPreviewScale;
  Bytes raw;
  for (int y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < size; ++x) {
      const int index = pixels[(y / kPreviewScale) * kSize + x / kPreviewScale];
      const auto& rgb = kPalette[index < 0 ? 0 : index];
      raw.insert(raw.end(), {rgb[0], rgb[1], rgb[2], static_cast<std::uint8_t>(index < 0 ? 0 : 255)});
    }
  }
  Bytes zlib = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size();) {
    const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
    zlib.push_back(at + length == raw.size() ? 1 : 0);
    Put16(zlib, static_cast<std::uint32_t>(length));
    Put16(zlib, static_cast<std::uint32_t>(~length & 0xFFFF));
    zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  Put32BigEndian(zlib, b << 16 | a);

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32BigEndian(header, size);
  Put32BigEndian(header, size);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_icon icon.txt OUTPUT_FOLDER\n";
    return 2;
  }
  Pixels pixels;
  if (!ReadPixelMap(argv[1], pixels)) {
    std::cerr << argv[1] << ": expected 32 rows of 32 characters from \".0123456789ABCDEF\"\n";
    return 1;
  }
  const std::string folder = argv[2];
  const Bytes image = IconImage(pixels);
  const bool written = Write(folder + "/icon_image.bin", image) &&
                       Write(folder + "/icon_group.bin", IconGroup(image.size())) &&
                       Write(folder + "/VelmarisLaunch.ico", IcoFile(image)) &&
                       Write(folder + "/icon.png", PreviewPng(pixels));
  if (!written) std::cerr << folder << ": cannot write the icon files\n";
  return written ? 0 : 1;
}
