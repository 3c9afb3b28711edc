#include "frame/fast_record_parser.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TESSELLA_PLAIN_SCAN_SSE2 1
#endif

namespace Database {
namespace {

// Elements nest no deeper than this in a text the fast reader takes; the reference parser
// refuses texts that nest beyond a limit above it.
constexpr size_t kDepthLimit = 64;

bool StartsName(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

// Bytes the plain form scan stops at: control characters but tab and line feed, '<' and '&'.
constexpr std::array<bool, 256> kStops = [] {
  std::array<bool, 256> stops{};
  for (size_t c = 0; c < 0x20; ++c) stops[c] = c != '\t' && c != '\n';
  stops['<'] = stops['&'] = true;
  return stops;
}();

constexpr uint64_t Repeat(unsigned char byte) { return 0x0101010101010101u * byte; }

// The high bit of every byte of word that is zero, and no other bit.
constexpr uint64_t ZeroBytes(uint64_t word) {
  constexpr uint64_t kLow7 = Repeat(0x7f);
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The high bit of every byte of word that is a stop byte, and no other bit.
constexpr uint64_t StopBytes(uint64_t word) {
  const uint64_t control = ZeroBytes(word & Repeat(0xe0)) & ~ZeroBytes(word ^ Repeat('\t')) &
                           ~ZeroBytes(word ^ Repeat('\n'));
  return control | ZeroBytes(word ^ Repeat('<')) | ZeroBytes(word ^ Repeat('&'));
}

#ifdef TESSELLA_PLAIN_SCAN_SSE2
// A bit for every stop byte of the 16 bytes at data, the first byte's lowest.
uint32_t StopBits16(const char* data) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
  const auto equal = [&](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
  const __m128i below20 = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x1f)), bytes);
  const __m128i control = _mm_andnot_si128(_mm_or_si128(equal('\t'), equal('\n')), below20);
  const __m128i stops = _mm_or_si128(control, _mm_or_si128(equal('<'), equal('&')));
  return static_cast<uint32_t>(_mm_movemask_epi8(stops));
}
#endif

// True when the stop byte at position at leaves the text plain: a '<' that opens no comment,
// declaration or processing instruction, or an '&' that starts one of the five named entities.
bool PlainAtStop(std::string_view text, size_t at) {
  const std::string_view rest = text.substr(at + 1);
  if (text[at] == '<') return !rest.starts_with('!') && !rest.starts_with('?');
  if (text[at] != '&') return false;
  constexpr std::string_view kEntities[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
  for (const std::string_view entity : kEntities) {
    if (rest.starts_with(entity)) return true;
  }
  return false;
}

// True when the text has the plain form: an element first, no control characters but tab and
// line feed, no comment, declaration, processing instruction or character section, and no
// entity references but the five named ones. Sixteen or eight bytes are tested at a time.
bool IsPlain(std::string_view text) {
  if (text.size() < 2 || text[0] != '<' || !StartsName(text[1])) return false;
  size_t at = 0;
#ifdef TESSELLA_PLAIN_SCAN_SSE2
  for (; text.size() - at >= 16; at += 16) {
    for (uint32_t stops = StopBits16(text.data() + at); stops != 0; stops &= stops - 1) {
      if (!PlainAtStop(text, at + static_cast<size_t>(std::countr_zero(stops)))) return false;
    }
  }
#endif
  for (; text.size() - at >= sizeof(uint64_t); at += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    for (uint64_t stops = StopBytes(word); stops != 0; stops &= stops - 1) {
      size_t index = static_cast<size_t>(std::countr_zero(stops)) / 8;
      if constexpr (std::endian::native == std::endian::big) index = sizeof word - 1 - index;
      if (!PlainAtStop(text, at + index)) return false;
    }
  }
  for (; at < text.size(); ++at) {
    if (kStops[static_cast<unsigned char>(text[at])] && !PlainAtStop(text, at)) return false;
  }
  return true;
}

bool HasRepeatedAttributeSlowly(pugi::xml_node element) {
  for (pugi::xml_attribute at = element.first_attribute(); at; at = at.next_attribute()) {
    for (pugi::xml_attribute later = at.next_attribute(); later; later = later.next_attribute()) {
      if (std::strcmp(at.name(), later.name()) == 0) return true;
    }
  }
  return false;
}

bool HasRepeatedAttribute(pugi::xml_node element) {
  // The names are gathered first, so that the pairs are compared without walking the list again.
  std::array<const char*, 32> names;
  size_t count = 0;
  for (pugi::xml_attribute at = element.first_attribute(); at; at = at.next_attribute()) {
    if (count == names.size()) return HasRepeatedAttributeSlowly(element);
    names[count++] = at.name();
  }
  for (size_t first = 0; first < count; ++first) {
    for (size_t second = first + 1; second < count; ++second) {
      if (names[first][0] == names[second][0] && std::strcmp(names[first], names[second]) == 0) {
        return true;
      }
    }
  }
  return false;
}

// True when no element of the tree repeats an attribute name and none nests beyond the limit:
// the reference parser refuses both.
bool KeepsReferenceLimits(pugi::xml_node root) {
  size_t depth = 1;
  pugi::xml_node node = root;
  while (node) {
    if (node.type() == pugi::node_element && HasRepeatedAttribute(node)) return false;
    if (pugi::xml_node child = node.first_child()) {
      if (++depth > kDepthLimit) return false;
      node = child;
      continue;
    }
    while (node && node != root && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    if (!node || node == root) break;
    node = node.next_sibling();
  }
  return true;
}

}  // namespace

pugi::xml_node FastRecordParser::Parse(std::string_view text) {
  if (!IsPlain(text)) return {};
  // A line feed after the text is whitespace after the root element to either parser; without
  // it the fast parser would drop text that runs to the very end, which the reference refuses.
  buffer_.assign(text.begin(), text.end());
  buffer_.push_back('\n');
  const pugi::xml_parse_result parsed = document_.load_buffer_inplace(
      buffer_.data(), buffer_.size(), pugi::parse_escapes | pugi::parse_fragment,
      pugi::encoding_utf8);
  if (!parsed) return {};
  const pugi::xml_node root = document_.first_child();
  if (root.type() != pugi::node_element || root.next_sibling()) return {};
  return KeepsReferenceLimits(root) ? root : pugi::xml_node();
}

void FastRecordParser::Clear() {
  document_.reset();
  buffer_ = std::vector<char>();
}

}  // namespace Database
