#include "support/record_generator.h"

#include <cstdio>
#include <random>
#include <sstream>

namespace {

// The schema text, kept byte for byte: the benchmarks depend on the exact data.
constexpr const char* kSchema =
    "// [desc: \"How rare an item is\"]\nenum EGrade { Common, Rare, Epic, Legendary };\n\n"
    "struct Modifier\n{\n    string Stat;\n    // [min: -100, max: 100]\n    float Amount;\n"
    "    int16 Priority;\n};\n\nstruct Effect\n{\n    string Label;\n    int32 Power;\n};\n\n"
    "struct Burn : Effect\n{\n    float Duration;\n    uint8[2] Ticks;\n};\n\n"
    "struct Freeze : Effect\n{\n    uint16 Slow;\n    bool Shatters;\n};\n\nrecord Item\n{\n"
    "    bool Enabled;\n    int8 Tier;\n    int16 Level;\n    int32 Value;\n"
    "    int64 Serial;\n    uint8 Sockets;\n    uint16 Stack;\n    uint32 Flags;\n"
    "    uint64 Guid;\n    float Weight;\n    double Precision;\n    string Label;\n"
    "    loc_id Title;\n    EGrade Grade;\n    Modifier Base;\n    Modifier[] Mods;\n"
    "    int32[3] Coords;\n    string[] Tags;\n    double[] Curve;\n    uint8[] Bytes;\n"
    "    EGrade[2] Variants;\n    Effect @ Primary;\n    Effect @ [] Effects;\n"
    "    Modifier * Highlight;\n    Modifier *[] Marked;\n    Item & Parent;\n"
    "    Item &[] Related;\n};\n\nrecord Crate\n{\n    string Label;\n"
    "    Item &[] Contents;\n    int64[4] Seeds;\n};\n";

constexpr const char* kGrades[] = {"Common", "Rare", "Epic", "Legendary"};
constexpr const char* kStats[] = {"Strength", "Agility", "Wisdom", "Luck", "Vigour"};
constexpr const char* kWords[] = {"iron", "oak", "ember", "frost", "silk", "ash", "gold"};

class Writer {
 public:
  explicit Writer(uint32_t seed) : random_(seed) {}

  int64_t Int(int64_t low, int64_t high) {
    return std::uniform_int_distribution<int64_t>(low, high)(random_);
  }
  uint64_t UInt(uint64_t high) { return std::uniform_int_distribution<uint64_t>(0, high)(random_); }
  // Quarters and eighths survive every text form exactly.
  double Fraction(int64_t range) { return static_cast<double>(Int(-range * 8, range * 8)) / 8.0; }
  template <class T, size_t N>
  const char* Pick(const T (&items)[N]) {
    return items[static_cast<size_t>(Int(0, N - 1))];
  }
  std::string Phrase() { return std::string(Pick(kWords)) + " " + Pick(kWords); }

 private:
  std::mt19937 random_;
};

void Modifier(Writer& w, std::ostringstream& out, const char* element) {
  out << "<" << element << " __type=\"Modifier\" Stat=\"" << w.Pick(kStats) << "\" Amount=\""
      << w.Fraction(100) << "\" Priority=\"" << w.Int(-300, 300) << "\"/>";
}

void Effect(Writer& w, std::ostringstream& out, const char* element) {
  const bool burn = w.Int(0, 1) == 0;
  out << "<" << element << " __type=\"Effect\" __polymorphicType=\"" << (burn ? "Burn" : "Freeze")
      << "\" Label=\"" << w.Phrase() << "\" Power=\"" << w.Int(-5000, 5000) << "\"";
  if (burn) {
    out << " Duration=\"" << w.Fraction(30) << "\"><Ticks><UInt8 Value=\"" << w.Int(-128, 127)
        << "\"/><UInt8 Value=\"" << w.Int(0, 127) << "\"/></Ticks></" << element << ">";
    return;
  }
  out << " Slow=\"" << w.UInt(65535) << "\" Shatters=\"" << (w.Int(0, 1) ? "true" : "0") << "\"/>";
}

std::string Item(Writer& w, size_t index, size_t count) {
  const std::string name = "Item" + std::to_string(index);
  const int64_t mods = w.Int(1, 4);
  std::ostringstream out;
  out << "<" << name << " __type=\"Item\" Enabled=\"" << (w.Int(0, 1) ? "true" : "0")
      << "\" Tier=\"" << w.Int(-128, 127) << "\" Level=\"" << w.Int(-32768, 32767) << "\" Value=\""
      << w.Int(INT32_MIN, INT32_MAX) << "\" Serial=\"" << w.Int(INT64_MIN, INT64_MAX)
      << "\" Sockets=\"" << w.UInt(255) << "\" Stack=\"" << w.UInt(65535) << "\" Flags=\""
      << w.UInt(UINT32_MAX) << "\" Guid=\"" << w.UInt(UINT64_MAX) << "\" Weight=\""
      << w.Fraction(50) << "\" Precision=\"" << w.Fraction(1000) << "\" Label=\"" << w.Phrase()
      << " &amp; " << w.Pick(kWords) << "\" Title=\"" << w.Int(0, 100000) << "\" Grade=\""
      << w.Pick(kGrades) << "\" Highlight=\"Mods[" << w.Int(0, mods - 1) << "]\" Parent=\""
      << (index == 0 ? "" : GeneratedHash(static_cast<size_t>(w.Int(0, int64_t(count) - 1))))
      << "\" __hash=\"" << GeneratedHash(index) << "\">";
  Modifier(w, out, "Base");
  out << "<Mods>";
  for (int64_t i = 0; i < mods; ++i) Modifier(w, out, "Modifier");
  out << "</Mods><Coords>";
  for (int i = 0; i < 3; ++i) out << "<Int32 Value=\"" << w.Int(-1000000, 1000000) << "\"/>";
  out << "</Coords><Tags>";
  for (int64_t i = w.Int(0, 3); i > 0; --i) out << "<String Value=\"" << w.Phrase() << "\"/>";
  out << "</Tags><Curve>";
  for (int64_t i = w.Int(2, 6); i > 0; --i) out << "<Double Value=\"" << w.Fraction(4) << "\"/>";
  out << "</Curve><Bytes>";
  for (int64_t i = w.Int(0, 4); i > 0; --i) out << "<UInt8 Value=\"" << w.Int(-128, 127) << "\"/>";
  out << "</Bytes><Variants><Enum Value=\"" << w.Pick(kGrades) << "\"/><Enum Value=\""
      << w.Pick(kGrades) << "\"/></Variants>";
  if (w.Int(0, 3) != 0) Effect(w, out, "Primary");
  out << "<Effects>";
  for (int64_t i = w.Int(0, 3); i > 0; --i) {
    w.Int(0, 4) == 0 ? void(out << "<null/>") : Effect(w, out, "Effect");
  }
  out << "</Effects><Marked>";
  for (int64_t i = w.Int(0, 2); i > 0; --i) {
    out << "<WeakPointer Value=\"" << (w.Int(0, 1) ? "Base" : "Mods[0]") << "\"/>";
  }
  out << "</Marked><Related>";
  for (int64_t i = w.Int(0, 3); i > 0; --i) {
    out << "<Record Value=\"" << GeneratedHash(static_cast<size_t>(w.Int(0, int64_t(count) - 1)))
        << "\"/>";
  }
  out << "</Related></" << name << ">\n";
  return out.str();
}

std::string Crate(Writer& w, size_t index, size_t count) {
  const std::string name = "Item" + std::to_string(index);
  std::ostringstream out;
  out << "<" << name << " __type=\"Crate\" Label=\"" << w.Phrase() << "\" __hash=\""
      << GeneratedHash(index) << "\"><Contents>";
  for (int64_t i = w.Int(1, 8); i > 0; --i) {
    out << "<Record Value=\"" << GeneratedHash(static_cast<size_t>(w.Int(0, int64_t(count) - 1)))
        << "\"/>";
  }
  out << "</Contents><Seeds>";
  for (int i = 0; i < 4; ++i) out << "<Int64 Value=\"" << w.Int(INT64_MIN, INT64_MAX) << "\"/>";
  out << "</Seeds></" << name << ">\n";
  return out.str();
}

}  // namespace

std::string GeneratedHash(size_t index) {
  char text[40];
  std::snprintf(text, sizeof text, "5e1f0000-0000-4000-8000-%012zx", index);
  return text;
}

GeneratedDatabase GenerateDatabase(size_t recordCount, uint32_t seed) {
  GeneratedDatabase database;
  database.schemaFiles.push_back({"Schema/generated.sch", kSchema});
  Writer writer(seed);
  for (size_t i = 0; i < recordCount; ++i) {
    const std::string path = "Records/Item" + std::to_string(i) + ".xml";
    database.recordFiles.push_back(
        {path, i % 10 == 9 ? Crate(writer, i, recordCount) : Item(writer, i, recordCount)});
  }
  return database;
}
