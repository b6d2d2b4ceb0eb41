#pragma once

// Every theme key the skinned classes read, by section kind: what a theme must
// carry for its dialogs, and what the theme fuzz target reads.
#include <QString>
#include <QStringList>

#include <vector>

namespace ThemeKeys {

enum class Kind { Int, Colour, Image, Text };

struct Key
{
    const char* name;
    Kind kind;
};

struct SectionKind
{
    const char* pattern; // "CheckBox_%1" with %1 the dialog identifier, or a plain name
    std::vector<Key> keys;
};

inline const std::vector<Key> kPlacement = {
    {"PosX", Kind::Int}, {"PosY", Kind::Int}, {"Width", Kind::Int}, {"Height", Kind::Int}};

inline std::vector<Key> WithPlacement(std::vector<Key> keys)
{
    keys.insert(keys.begin(), kPlacement.begin(), kPlacement.end());
    return keys;
}

inline const SectionKind kPersonality = {"Personality",
                                         {{"DialogBmp", Kind::Image},
                                          {"Top", Kind::Image},
                                          {"Left", Kind::Image},
                                          {"Right", Kind::Image},
                                          {"Bottom", Kind::Image},
                                          {"TopTopHeight", Kind::Int},
                                          {"TopBotHeight", Kind::Int},
                                          {"LeftTopHeight", Kind::Int},
                                          {"LeftBotHeight", Kind::Int},
                                          {"RightTopHeight", Kind::Int},
                                          {"RightBotHeight", Kind::Int},
                                          {"BottomTopHeight", Kind::Int},
                                          {"BottomBotHeight", Kind::Int},
                                          {"ButtonCount", Kind::Int},
                                          {"ButtonImgCount", Kind::Int},
                                          {"TextShift", Kind::Int},
                                          {"TextShiftVert", Kind::Int},
                                          {"UsesTran", Kind::Int}}};
// Numbered from 0 up to the frame's ButtonCount.
inline const SectionKind kTitleButton = {"Button%1",
                                         {{"ButtonImage", Kind::Image},
                                          {"Action", Kind::Int},
                                          {"XCoord", Kind::Int},
                                          {"YCoord", Kind::Int}}};
inline const SectionKind kColours = {"Colours",
                                     {{"TitleText", Kind::Colour},
                                      {"InactiveTitleText", Kind::Colour},
                                      {"TransColor", Kind::Colour}}};
inline const SectionKind kButtons = {"Buttons",
                                     {{"Bitmap", Kind::Image},
                                      {"TopHeight", Kind::Int},
                                      {"LeftWidth", Kind::Int},
                                      {"RightWidth", Kind::Int},
                                      {"BottomHeight", Kind::Int}}};
inline const SectionKind kBmpButton = {"BmpButton_%1",
                                       {{"Bitmap", Kind::Image},
                                        {"Left", Kind::Int},
                                        {"Top", Kind::Int},
                                        {"Width", Kind::Int},
                                        {"Height", Kind::Int},
                                        {"Space", Kind::Int},
                                        {"PosLeft", Kind::Int},
                                        {"PosTop", Kind::Int},
                                        {"Trans", Kind::Int},
                                        {"Hand", Kind::Int},
                                        {"TransColor", Kind::Colour}}};
inline const SectionKind kCheckBox = {"CheckBox_%1",
                                      WithPlacement({{"CheckButton", Kind::Image},
                                                     {"CheckBoxBmpWidth", Kind::Int},
                                                     {"Trans", Kind::Int},
                                                     {"TransColor", Kind::Colour}})};
inline const SectionKind kRadio = {"Radio_%1", WithPlacement({{"RadioButton", Kind::Image},
                                                              {"RadioBmpWidth", Kind::Int},
                                                              {"Trans", Kind::Int},
                                                              {"TransColor", Kind::Colour},
                                                              {"TextColor", Kind::Colour}})};
inline const SectionKind kGroupBox = {
    "GroupBox", {{"TextColor", Kind::Colour}, {"BorderColor", Kind::Colour}}};
inline const SectionKind kEdit = {"Edit_%1", WithPlacement({{"TextColor", Kind::Colour},
                                                            {"BackGroundColor", Kind::Colour},
                                                            {"BorderColor", Kind::Colour},
                                                            {"DisableColor", Kind::Colour}})};
inline const SectionKind kListCtrl = {
    "ListCtrl_%1", WithPlacement({{"ListColumnHeaderSpan", Kind::Image},
                                  {"ListColumnHeaderStart", Kind::Image},
                                  {"ListColumnHeaderEnd", Kind::Image},
                                  {"ListVerticleScrollbarTop", Kind::Image},
                                  {"ListVerticleScrollBarUpArrow", Kind::Image},
                                  {"ListVerticleScrollBarThumb", Kind::Image},
                                  {"ListVerticleScrollBarSpan", Kind::Image},
                                  {"ListVerticleScrollBarDownArrow", Kind::Image},
                                  {"ListVerticleScrollbarBottom", Kind::Image},
                                  {"ListHorizontalScrollBarThumb", Kind::Image},
                                  {"ListHorizontalScrollBarSpan", Kind::Image},
                                  {"ListHorizontalScrollBarRightArrow", Kind::Image},
                                  {"ListHorizontalScrollBarLeftArrow", Kind::Image},
                                  {"FontName", Kind::Text},
                                  {"FontSize", Kind::Int},
                                  {"HeadFontName", Kind::Text},
                                  {"HeadFontSize", Kind::Int},
                                  {"HighLightForeground", Kind::Colour},
                                  {"HighLightBackground", Kind::Colour},
                                  {"TextColor", Kind::Colour},
                                  {"TextBkColor", Kind::Colour},
                                  {"VerBarWidth", Kind::Int},
                                  {"VerTopHeight", Kind::Int},
                                  {"VerBottomHeight", Kind::Int},
                                  {"VerUpArrowHeight", Kind::Int},
                                  {"VerDownArrowHeight", Kind::Int},
                                  {"VerThumbHeight", Kind::Int},
                                  {"HorBarHeight", Kind::Int},
                                  {"HorRightArrowWidth", Kind::Int},
                                  {"HorLeftArrowWidth", Kind::Int},
                                  {"HorThumbWidth", Kind::Int}})};
inline const SectionKind kSlider = {"SliderCtrl_%1", WithPlacement({{"Image", Kind::Image},
                                                                    {"Trans", Kind::Int},
                                                                    {"TransColor", Kind::Colour},
                                                                    {"BarWidth", Kind::Int},
                                                                    {"BarHeight", Kind::Int},
                                                                    {"PointWidth", Kind::Int},
                                                                    {"PointHeight", Kind::Int},
                                                                    {"ForeX", Kind::Int},
                                                                    {"ForeY", Kind::Int},
                                                                    {"BackX", Kind::Int},
                                                                    {"BackY", Kind::Int},
                                                                    {"NormalX", Kind::Int},
                                                                    {"NormalY", Kind::Int},
                                                                    {"OverX", Kind::Int},
                                                                    {"OverY", Kind::Int},
                                                                    {"DownX", Kind::Int},
                                                                    {"DownY", Kind::Int},
                                                                    {"HitStep", Kind::Int}})};

inline std::vector<Key> TabKeys()
{
    std::vector<Key> keys = WithPlacement({{"TabButtonImage", Kind::Image},
                                           {"Trans", Kind::Int},
                                           {"TransColor", Kind::Colour},
                                           {"BorderColor", Kind::Colour},
                                           {"TextColor", Kind::Colour}});
    static const char* const positions[] = {
        "SelectFirstTabX", "SelectFirstTabY", "SelectMidTabX",   "SelectMidTabY",
        "SelectLastTabX",  "SelectLastTabY",  "FirstTabNormalX", "FirstTabNormalY",
        "FirstTabOverX",   "FirstTabOverY",   "FirstTabDownX",   "FirstTabDownY",
        "MidTabNormalX",   "MidTabNormalY",   "MidTabOverX",     "MidTabOverY",
        "MidTabDownX",     "MidTabDownY",     "LastTabNormalX",  "LastTabNormalY",
        "LastTabOverX",    "LastTabOverY",    "LastTabDownX",    "LastTabDownY",
        "PendingX",        "PendingY",        "ButtonHeight",    "ButtonWidth"};
    for (const char* name : positions)
        keys.push_back({name, Kind::Int});
    return keys;
}
inline const SectionKind kTabCtrl = {"TabCtrl_%1", TabKeys()};

inline const SectionKind kWaveEdit = {"WaveEdit",
                                      WithPlacement({{"BackGroundColor", Kind::Colour},
                                                     {"MilimeterLineColor", Kind::Colour},
                                                     {"BorderColor", Kind::Colour},
                                                     {"TitleBarColor", Kind::Colour},
                                                     {"RecoderBackColor", Kind::Colour},
                                                     {"RecoderForeColor", Kind::Colour},
                                                     {"IndicatorColor", Kind::Colour},
                                                     {"IndicatorSelectionColor", Kind::Colour},
                                                     {"SelectionColor", Kind::Colour},
                                                     {"SelectionLineColor", Kind::Colour},
                                                     {"TextColor", Kind::Colour}})};
inline const SectionKind kWaveShow = {"WaveShow", WithPlacement({{"PillarImage", Kind::Image}})};
inline const SectionKind kClock = {
    "ClockDigitalNumber",
    WithPlacement(
        {{"NumberImage", Kind::Image}, {"Trans", Kind::Int}, {"TransColor", Kind::Colour}})};
inline const SectionKind kSongInfo = {"SongInfoShow",
                                      WithPlacement({{"TextColor", Kind::Colour}})};
inline const SectionKind kLyrics = {
    "LyricsShow", WithPlacement({{"InactiveColor", Kind::Colour}, {"ActiveColor", Kind::Colour}})};

// A section kind together with the identifiers it is read for (none for a
// plain section name).
struct Use
{
    const SectionKind* kind;
    std::vector<int> ids;
};

inline QStringList SectionNames(const Use& use)
{
    const QString pattern = QString::fromLatin1(use.kind->pattern);
    if (use.ids.empty())
        return {pattern};
    QStringList names;
    for (int id : use.ids)
        names.push_back(pattern.arg(id));
    return names;
}

// What Kelvo's main dialog reads from "neostyle".
inline std::vector<Use> MainDialogUses()
{
    return {{&kPersonality, {}},
            {&kTitleButton, {0, 1, 2, 3}},
            {&kColours, {}},
            {&kButtons, {}},
            {&kBmpButton, {102, 103, 104,  105,  106,  107,  108,  109,  111,  113,  114,
                           116, 119, 1006, 1007, 1019, 1041, 1051, 1052, 1053, 1061, 1063}},
            {&kCheckBox, {1048, 1049}},
            {&kSlider, {1017, 1018, 1050}},
            {&kTabCtrl, {1043}},
            {&kListCtrl, {1009}},
            {&kEdit, {1015, 1030, 1031}},
            {&kGroupBox, {}},
            {&kWaveEdit, {}},
            {&kWaveShow, {}},
            {&kClock, {}},
            {&kSongInfo, {}},
            {&kLyrics, {}}};
}

// What the web page, login, month-order and ring dialogs read from "dlgstyle".
inline std::vector<Use> SecondaryDialogUses()
{
    return {{&kPersonality, {}},
            {&kTitleButton, {0, 1, 2, 3}},
            {&kColours, {}},
            {&kButtons, {}},
            {&kEdit, {1013, 1014, 1029, 1062}},
            {&kRadio, {1042, 1043, 1044, 1064, 1065}},
            {&kCheckBox, {1045, 1060, 1066}},
            {&kGroupBox, {}}};
}

} // namespace ThemeKeys
