#include "frame/fast_record_parser.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
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

// What each byte can be in the plain form's markup.
enum ByteClass : uint8_t { kSpace = 1, kNameStart = 2, kNameByte = 4 };
constexpr std::array<uint8_t, 256> kByteClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (size_t c = 0; c < classes.size(); ++c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    const bool other = (c >= '0' && c <= '9') || c == '.' || c == '-';
    classes[c] =
        static_cast<uint8_t>((c == ' ' || c == '\t' || c == '\n' ? kSpace : 0) |
                             (letter ? kNameStart | kNameByte : 0) | (other ? kNameByte : 0));
  }
  return classes;
}();

bool IsA(char c, ByteClass byteClass) {
  return (kByteClasses[static_cast<unsigned char>(c)] & byteClass) != 0;
}

bool StartsName(char c) { return IsA(c, kNameStart); }

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
// declaration or processing instruction, which is counted in tags, or an '&' that starts one of
// the five named entities.
bool PlainAtStop(std::string_view text, size_t at, size_t* tags) {
  const std::string_view rest = text.substr(at + 1);
  if (text[at] == '<') {
    ++*tags;
    return !rest.starts_with('!') && !rest.starts_with('?');
  }
  if (text[at] != '&') return false;
  constexpr std::string_view kEntities[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
  for (const std::string_view entity : kEntities) {
    if (rest.starts_with(entity)) return true;
  }
  return false;
}

// True when the text has the plain form: an element first, no control characters but tab and
// line feed, no comment, declaration, processing instruction or character section, and no
// entity references but the five named ones. Sixteen or eight bytes are tested at a time. The
// tags of a plain text, opening and closing ones, are counted in tags.
bool IsPlain(std::string_view text, size_t* tags) {
  if (text.size() < 2 || text[0] != '<' || !StartsName(text[1])) return false;
  size_t at = 0;
#ifdef TESSELLA_PLAIN_SCAN_SSE2
  for (; text.size() - at >= 16; at += 16) {
    for (uint32_t stops = StopBits16(text.data() + at); stops != 0; stops &= stops - 1) {
      if (!PlainAtStop(text, at + static_cast<size_t>(std::countr_zero(stops)), tags)) {
        return false;
      }
    }
  }
#endif
  for (; text.size() - at >= sizeof(uint64_t); at += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    for (uint64_t stops = StopBytes(word); stops != 0; stops &= stops - 1) {
      size_t index = static_cast<size_t>(std::countr_zero(stops)) / 8;
      if constexpr (std::endian::native == std::endian::big) index = sizeof word - 1 - index;
      if (!PlainAtStop(text, at + index, tags)) return false;
    }
  }
  for (; at < text.size(); ++at) {
    if (kStops[static_cast<unsigned char>(text[at])] && !PlainAtStop(text, at, tags)) return false;
  }
  return true;
}

// Bytes after the text that the parse may read; they are all null.
constexpr size_t kPadding = sizeof(uint64_t);

// The first byte at or after at that is not white space. Runs of spaces (indentation) are
// skipped a word at a time, which may read up to kPadding bytes past the end of the text.
char* SkipSpace(char* at) {
  for (;;) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if (word == Repeat(' ')) {
      at += sizeof word;
    } else if (IsA(*at, kSpace)) {
      ++at;
    } else {
      return at;
    }
  }
}

// The end of the name that starts at at.
char* NameEnd(char* at) {
  while (IsA(*at, kNameByte)) ++at;
  return at;
}

// Bytes that end the scan of an attribute value: either quote, '<', '&' and the null after the
// text.
constexpr std::array<bool, 256> kValueStops = [] {
  std::array<bool, 256> stops{};
  stops['"'] = stops['\''] = stops['<'] = stops['&'] = stops['\0'] = true;
  return stops;
}();

// The closing quote of the value that starts at value, or null when the value holds a '<' or the
// text ends first. Tells in *hasEntity whether the value holds an '&'.
char* ValueEnd(char* value, char quote, bool* hasEntity) {
  for (char* at = value;; ++at) {
    while (!kValueStops[static_cast<unsigned char>(*at)]) ++at;
    if (*at == quote) return at;
    if (*at == '<' || *at == '\0') return nullptr;
    if (*at == '&') *hasEntity = true;
  }
}

// Replaces the named entities of the value [begin, end), which holds an '&', by their
// characters, in place, and ends the value with a null. False when an '&' starts none of them.
bool DecodeValue(char* begin, char* end) {
  char* out = static_cast<char*>(std::memchr(begin, '&', static_cast<size_t>(end - begin)));
  struct Entity {
    std::string_view text;
    char character;
  };
  constexpr Entity kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  for (char* in = out; in < end;) {
    if (*in != '&') {
      *out++ = *in++;
      continue;
    }
    const std::string_view rest(in, static_cast<size_t>(end - in));
    const Entity* found = nullptr;
    for (const Entity& entity : kEntities) {
      if (rest.starts_with(entity.text)) found = &entity;
    }
    if (!found) return false;
    *out++ = found->character;
    in += found->text.size();
  }
  *out = '\0';
  return true;
}

bool SameName(const PlainAttribute& a, const PlainAttribute& b) {
  return a.name[0] == b.name[0] && std::strcmp(a.name, b.name) == 0;
}

// True when two of the attributes share a name: the reference parser refuses such an element.
bool HasRepeatedName(const PlainAttribute* first, const PlainAttribute* end) {
  constexpr ptrdiff_t kPairwiseLimit = 32;
  if (end - first <= kPairwiseLimit) {
    for (const PlainAttribute* a = first; a != end; ++a) {
      for (const PlainAttribute* b = a + 1; b != end; ++b) {
        if (SameName(*a, *b)) return true;
      }
    }
    return false;
  }
  std::vector<const char*> names;
  names.reserve(static_cast<size_t>(end - first));
  for (const PlainAttribute* a = first; a != end; ++a) names.push_back(a->name);
  const auto less = [](const char* a, const char* b) { return std::strcmp(a, b) < 0; };
  std::sort(names.begin(), names.end(), less);
  return std::adjacent_find(names.begin(), names.end(), [](const char* a, const char* b) {
           return std::strcmp(a, b) == 0;
         }) != names.end();
}

}  // namespace

const PlainElement* FastRecordParser::Parse(std::string_view text) {
  size_t tags = 0;
  if (!IsPlain(text, &tags)) return nullptr;
  buffer_.assign(text.begin(), text.end());
  buffer_.resize(buffer_.size() + kPadding, '\0');
  // Every element opens at a tag of its own, so the elements never outgrow this room and the
  // links between them stay valid.
  elements_.clear();
  attributes_.clear();
  elements_.reserve(tags);
  const PlainElement* root = ParseElements();
  if (!root) return nullptr;
  // The attributes may have moved as they grew: each element is given its run only now. The runs
  // lie in the order of the elements, each ending at a null name.
  const PlainAttribute* run = attributes_.data();
  for (PlainElement& element : elements_) {
    element.attributes = run;
    while (run->name) ++run;
    ++run;
  }
  return root;
}

// Reads the attributes after an element's name up to the end of its start tag, at which at is
// left, and ends them with a null name. False for anything but the plain form of a start tag:
// attributes after white space, each a name, "=" and a quoted value without '<'.
bool FastRecordParser::ParseAttributes(char*& at, bool* selfClosing) {
  const size_t first = attributes_.size();
  for (;;) {
    const char* spaceStart = at;
    while (IsA(*at, kSpace)) ++at;
    if (*at == '>') {
      ++at;
      *selfClosing = false;
      break;
    }
    if (*at == '/') {
      if (at[1] != '>') return false;
      at += 2;
      *selfClosing = true;
      break;
    }
    if (at == spaceStart || !StartsName(*at)) return false;
    char* name = at;
    at = NameEnd(at);
    if (*at != '=') return false;
    *at++ = '\0';
    const char quote = *at;
    if (quote != '"' && quote != '\'') return false;
    char* value = ++at;
    bool hasEntity = false;
    char* end = ValueEnd(value, quote, &hasEntity);
    if (!end) return false;
    if (hasEntity) {
      if (!DecodeValue(value, end)) return false;
    } else {
      *end = '\0';
    }
    at = end + 1;
    attributes_.push_back({name, value});
  }
  if (HasRepeatedName(attributes_.data() + first, attributes_.data() + attributes_.size())) {
    return false;
  }
  attributes_.push_back({nullptr, nullptr});
  return true;
}

// Reads the buffer's elements: the root, with nothing but white space between its tags and after
// it. Null for anything else, and for elements nested beyond the limit.
const PlainElement* FastRecordParser::ParseElements() {
  std::array<PlainElement*, kDepthLimit> open;       // the open elements, the root first
  std::array<PlainElement*, kDepthLimit> lastChild;  // the last child of each open element
  std::array<size_t, kDepthLimit> nameLength;        // the length of each open element's name
  size_t depth = 0;
  const PlainElement* root = nullptr;
  char* at = buffer_.data();
  for (;;) {
    if (at[1] == '/') {
      const size_t length = nameLength[depth - 1];
      if (std::strncmp(at + 2, open[depth - 1]->name, length) != 0 || at[2 + length] != '>') {
        return nullptr;
      }
      at += 3 + length;
      if (--depth == 0) break;
    } else {
      if (depth == kDepthLimit || !StartsName(at[1])) return nullptr;
      char* name = at + 1;
      char* nameEnd = NameEnd(name);
      at = nameEnd;
      bool selfClosing = false;
      if (!ParseAttributes(at, &selfClosing) || elements_.size() == elements_.capacity()) {
        return nullptr;
      }
      *nameEnd = '\0';
      PlainElement& element = elements_.emplace_back(PlainElement{name, nullptr, nullptr, nullptr});
      if (depth == 0) {
        root = &element;
      } else if (lastChild[depth - 1]) {
        lastChild[depth - 1]->nextSibling = &element;
      } else {
        open[depth - 1]->firstChild = &element;
      }
      if (depth != 0) lastChild[depth - 1] = &element;
      if (!selfClosing) {
        open[depth] = &element;
        lastChild[depth] = nullptr;
        nameLength[depth] = static_cast<size_t>(nameEnd - name);
        ++depth;
      } else if (depth == 0) {
        break;
      }
    }
    at = SkipSpace(at);
    if (*at != '<') return nullptr;
  }
  at = SkipSpace(at);
  return *at == '\0' ? root : nullptr;
}

void FastRecordParser::Clear() {
  buffer_ = std::vector<char>();
  elements_ = std::vector<PlainElement>();
  attributes_ = std::vector<PlainAttribute>();
}

}  // namespace Database
