#include "sim/gif_image.h"

#include <algorithm>

namespace sim {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr uint32_t kTableEnd = 4095;  // the table is cleared when its next code would be this
constexpr size_t kMaxSubBlock = 255;  // [bytes]

void putWord(std::vector<unsigned char>& out, uint32_t v) {  // little-endian 16 bits
  out.push_back(static_cast<unsigned char>(v & 0xff));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

// Codes packed least significant bit first, in sub-blocks each led by its
// length; the last is followed by an empty one.
class CodeWriter {
 public:
  explicit CodeWriter(std::vector<unsigned char>& out) : out_(out) {}
  void put(uint32_t code, int bits) {
    bits_ |= uint64_t(code) << count_;
    count_ += bits;
    for (; count_ >= 8; count_ -= 8, bits_ >>= 8) byte(static_cast<unsigned char>(bits_));
  }
  void finish() {
    if (count_ > 0) byte(static_cast<unsigned char>(bits_));
    if (!block_.empty()) flushBlock();
    out_.push_back(0);
  }

 private:
  void byte(unsigned char b) {
    block_.push_back(b);
    if (block_.size() == kMaxSubBlock) flushBlock();
  }
  void flushBlock() {
    out_.push_back(static_cast<unsigned char>(block_.size()));
    out_.insert(out_.end(), block_.begin(), block_.end());
    block_.clear();
  }

  std::vector<unsigned char>& out_;
  std::vector<unsigned char> block_;
  uint64_t bits_ = 0;
  int count_ = 0;
};

}  // namespace

GifImageEncoder::GifImageEncoder()
    : next_(size_t(256) << kMaxCodeBits, 0), runCode_(size_t(256) << kMaxCodeBits, 0) {}

void GifImageEncoder::encode(const IndexedPicture& frame, uint32_t width, uint32_t height,
                             std::vector<unsigned char>& out) {
  int tableBits = 1;  // the colour table has 2^tableBits entries
  while ((size_t(1) << tableBits) < frame.palette.size()) ++tableBits;
  out.push_back(0x2c);  // image separator
  putWord(out, 0);      // left
  putWord(out, 0);      // top
  putWord(out, width);
  putWord(out, height);
  out.push_back(static_cast<unsigned char>(0x80 | (tableBits - 1)));  // a local colour table
  for (size_t i = 0; i < (size_t(1) << tableBits); ++i) {
    const uint32_t c = i < frame.palette.size() ? frame.palette[i] : 0;
    out.push_back(static_cast<unsigned char>(c >> 16));
    out.push_back(static_cast<unsigned char>(c >> 8));
    out.push_back(static_cast<unsigned char>(c));
  }
  const int rootBits = std::max(2, tableBits);  // the LZW minimum code size
  out.push_back(static_cast<unsigned char>(rootBits));

  const uint32_t clear = 1u << rootBits, end = clear + 1;
  uint32_t nextCode = end + 1;
  int bits = rootBits + 1;
  CodeWriter writer(out);
  // A code is written at the current width, which grows once the next code
  // to be made no longer fits in it.
  auto put = [&](uint32_t code) {
    writer.put(code, bits);
    if (nextCode >= (1u << bits) && bits < kMaxCodeBits) ++bits;
  };
  // Runs of one index (most of a screen is black) are matched a string at
  // a time rather than a pixel at a time: the strings of n times index k are
  // made in order of n, so runCode_[k << 12 | n] for n up to longestRun_[k]
  // are all of them.
  auto clearTable = [&] {
    for (uint32_t at : used_) next_[at] = 0;
    used_.clear();
    std::fill(std::begin(longestRun_), std::end(longestRun_), uint16_t(1));
  };
  clearTable();
  put(clear);
  uint16_t* table = next_.data();
  const uint8_t* indexes = frame.indexes.data();
  const size_t count = size_t(width) * height;
  uint32_t string = count > 0 ? indexes[0] : 0;  // the code of the string being matched
  uint32_t run = 1;   // string is `run` times indexes[i - 1]; 0 when it is no run
  size_t runEnd = 0;  // the end of the run of equal indexes that i is in, once found
  for (size_t i = 1; i < count; ++i) {
    const uint32_t k = indexes[i];
    if (run > 0 && k == indexes[i - 1]) {
      if (i >= runEnd)
        for (runEnd = i; runEnd < count && indexes[runEnd] == k;) ++runEnd;
      const size_t reach = std::min<size_t>(run + (runEnd - i), longestRun_[k]);
      if (reach > run) {  // the longest known string of k that the run holds
        i += reach - run - 1;
        run = uint32_t(reach);
        string = runCode_[k << kMaxCodeBits | run];
        continue;
      }
    }
    const uint32_t key = k << kMaxCodeBits | string;
    if (table[key] != 0) {
      string = table[key];
      run = 0;
      continue;
    }
    put(string);
    if (nextCode >= kTableEnd) {
      put(clear);
      nextCode = end + 1;
      bits = rootBits + 1;
      clearTable();
    } else {
      if (run > 0 && k == indexes[i - 1]) {  // the next string of k
        longestRun_[k] = uint16_t(run + 1);
        runCode_[k << kMaxCodeBits | (run + 1)] = uint16_t(nextCode);
      }
      table[key] = uint16_t(nextCode++);
      used_.push_back(key);
    }
    string = k;
    run = 1;
  }
  if (count > 0) put(string);
  put(end);
  writer.finish();
  clearTable();
}

}  // namespace sim
