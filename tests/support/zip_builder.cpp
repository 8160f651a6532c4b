#include "support/zip_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <initializer_list>
#include <utility>

namespace {

std::string Fields(std::initializer_list<std::pair<std::uint32_t, int>> fields) {
  std::string out;
  for (const auto& [value, width] : fields) {
    for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return out;
}

std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

void ZipBuilder::Add(const std::string& name, const std::string& data, bool deflate) {
  const std::string packed = deflate ? RawDeflate(data) : data;
  const std::uint32_t crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  const std::string common = Fields({{20, 2},
                                     {0, 2},
                                     {deflate ? 8u : 0u, 2},
                                     {0, 4},
                                     {crc, 4},
                                     {static_cast<std::uint32_t>(packed.size()), 4},
                                     {static_cast<std::uint32_t>(data.size()), 4},
                                     {static_cast<std::uint32_t>(name.size()), 2},
                                     {0, 2}});
  central_ += Fields({{0x02014b50, 4}, {20, 2}}) + common +
              Fields({{0, 2}, {0, 2}, {0, 2}, {0, 4}, {static_cast<std::uint32_t>(body_.size()), 4}}) + name;
  body_ += Fields({{0x04034b50, 4}}) + common + name + packed;
  ++count_;
}

std::string ZipBuilder::Finish() const {
  return body_ + central_ +
         Fields({{0x06054b50, 4},
                 {0, 2},
                 {0, 2},
                 {count_, 2},
                 {count_, 2},
                 {static_cast<std::uint32_t>(central_.size()), 4},
                 {static_cast<std::uint32_t>(body_.size()), 4},
                 {0, 2}});
}
