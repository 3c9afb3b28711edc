// The worked example of the schema language, shared by the schema and API tests.
#pragma once

inline constexpr const char* kWorkedExample = R"(// [desc: "Colour channels"]
enum EChannel
{
    Red,
    // [desc: "The green one"]
    Green,
    Blue
};

struct ItemBase
// [category: items]
{
    // [desc: "Shown in lists"]
    string Name;
    // [min: 0, max: 100, step: 5]
    int32 Weight;
    EChannel Tint;
};

struct Blade : ItemBase
{
    float Length;
    uint8[4] Runes;
};

record Armory
{
    Blade @ [] Blades;
    ItemBase * Favourite;
    Armory & Other;
};
)";
