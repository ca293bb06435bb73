// The resources of the built SETUP.EXE: the string table, the dialog
// templates read word by word, and the bitmaps and icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/test_env.h"

namespace {

// SETUP.EXE, mapped as a data file once for every test here.
HMODULE SetupModule() {
  static HMODULE module =
      LoadLibraryExA(SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

// The bytes of one resource, empty when it does not exist.
std::vector<BYTE> ResourceBytes(LPCSTR type, WORD id) {
  HMODULE module = SetupModule();
  if (!module) return {};  // never fall back on the test program's own copy
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!info) return {};
  HGLOBAL data = LoadResource(module, info);
  const BYTE* p = static_cast<const BYTE*>(LockResource(data));
  if (!p) return {};
  return std::vector<BYTE>(p, p + SizeofResource(module, info));
}

TEST(Resources, SetupExeLoadsAsDataFile) {
  ASSERT_NE(nullptr, SetupModule()) << SetupExePath() << ": error " << GetLastError();
}

// --- string table -----------------------------------------------------------

struct StringCase {
  UINT id;
  const char* text;
};

const StringCase kStrings[] = {
    {1, "DiskLabel"},
    {2, "DirectoryName"},
    {3, "FileCounts"},
    {4, "Disk1"},
    {5, "Disk2"},
    {6, "Disk3"},
    {7, "Disk4"},
    {8, "Disk5"},
    {9, "Disk6"},
    {10, "RootDir"},
    {11, "SubDir1"},
    {12, "SubDir2"},
    {13, "SubDir3"},
    {14, "SubDir4"},
    {15, "SubDir5"},
    {16, "SubDir6"},
    {17, "WinDir"},
    {18, "WinSystemDir"},
    {19, "WinInfDir"},
    {20, "SETUP.INF Reading error !"},
    {22, "Main"},
    {23, "DefaultPath"},
    {24, "DefaultINI"},
    {25, "MinimumSpace"},
    {26, "GroupName"},
    {27, "GroupTitle"},
    {28, " installation is not completed !"},
    {29, "Setup Program"},
    {30, "ProductName"},
    {32, "The specified directory already exists !\nDo you still want to install into this directory ?"},
    {33, "Can not create directory !\nThe specified directory is either invalid or disk drive is write protected."},
    {34, "There is no enough free space in the specified disk drive !"},
    {35, "Please insert '%s' into your disk drive !"},
    {36, "Copying "},
    {37, "Reading ..."},
    {38, "Writing ..."},
    {39, "Failed to create a new group !"},
    {40, "PM Info"},
    {41, "Startup"},
    {42, "FileName"},
    {43, "Title"},
    {44, "This  Mouse Setup Program is for Windows 95/98 only !"},
    {45, "Mfg"},
    {46, "MouseDriver"},
    {47, "MouseInf"},
    {48, "DriverDate"},
    {49, "PS2InfSection"},
    {50, "SerialInfSection"},
    {51, "PS2Name"},
    {52, "SeialName"},
    {53, "The Mouse Setup Program has installed driver successfully. You have to restart your Windows now !"},
    // The copy engine's reports: a failed file and why, and the skipped files.
    {54, "Setup cannot install the file\n%s\n\n%s\n\nAbort stops the installation; no settings are changed. "
         "Retry tries this file again. Ignore skips this file and goes on."},
    {55, "Its source file cannot be found or opened on the installation disk."},
    {56, "The file cannot be written there. It may be read-only or in use, its folder may not exist, or the disk "
         "may be write-protected."},
    {57, "Its source file could not be read to the end, or the disk is full."},
    {58, "The old file has been removed, but the new file could not take its place."},
    {59, "These files were skipped and are not installed:\n"},
    {60, "and %d more"},
    {61, "Setup could not change the mouse line of SYSTEM.INI, which is left as it was. Windows goes on using its "
         "present mouse driver until the line reads mouse=*vmouse."},
    {62, "The file on the installation disk is damaged."},
    {63, "This program is damaged; nothing was changed.\n\nCopy the installation disk again, or download it again."},
};

TEST(Resources, StringTableHoldsEveryTextExactly) {
  ASSERT_NE(nullptr, SetupModule());
  for (const StringCase& c : kStrings) {
    SCOPED_TRACE(testing::Message() << "string " << c.id);
    char buf[256];
    memset(buf, 0x5A, sizeof buf);
    int n = LoadStringA(SetupModule(), c.id, buf, sizeof buf);
    // The returned length counts a stored terminating zero or a lost blank too.
    EXPECT_EQ(static_cast<int>(strlen(c.text)), n);
    EXPECT_EQ(std::string(c.text), std::string(buf, n > 0 ? n : 0));
    EXPECT_EQ('\0', buf[n > 0 ? n : 0]);
  }
}

TEST(Resources, StringTableHasNoOtherEntries) {
  ASSERT_NE(nullptr, SetupModule());
  // 0, 21 and 31 lie in blocks that exist; 68 to 79 in the last one, past
  // its end; 80 and 100 in blocks that do not exist at all.
  for (UINT id : {0u, 21u, 31u, 68u, 79u, 80u, 100u}) {
    char buf[16];
    memset(buf, 0x5A, sizeof buf);
    EXPECT_EQ(0, LoadStringA(SetupModule(), id, buf, sizeof buf)) << "string " << id;
  }
}

// --- dialog templates -------------------------------------------------------

// Reads a classic DLGTEMPLATE. Texts are UTF-16 in the template; ours are
// plain ASCII. A name-or-ordinal field comes back as its text, as "" when
// empty, or as "#n" when it is the ordinal n.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  size_t offset() const { return pos_; }

  WORD Word() {
    if (pos_ + 2 > bytes_.size()) {
      ok_ = false;
      return 0;
    }
    WORD w = static_cast<WORD>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD lo = Word();
    return lo | static_cast<DWORD>(Word()) << 16;
  }
  short Short() { return static_cast<short>(Word()); }

  std::string Text() {
    std::string s;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
  }
  std::string NameOrOrdinal() {
    WORD first = Word();
    if (first == 0) return "";
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    pos_ -= 2;
    return Text();
  }
  // Each item starts on a DWORD boundary of the template.
  void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
  void Skip(size_t n) { pos_ += n; }

 private:
  const std::vector<BYTE>& bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

struct Rect16 {
  short x, y, cx, cy;
  bool operator==(const Rect16& o) const {
    return x == o.x && y == o.y && cx == o.cx && cy == o.cy;
  }
};

struct Item {
  WORD id;
  std::string cls;
  std::string text;
  Rect16 rect;
  DWORD style;
  bool operator==(const Item& o) const {
    return id == o.id && cls == o.cls && text == o.text && rect == o.rect && style == o.style;
  }
};

std::ostream& operator<<(std::ostream& os, const Item& i) {
  return os << "{id " << i.id << ", class \"" << i.cls << "\", text \"" << i.text << "\", "
            << i.rect.x << "," << i.rect.y << "," << i.rect.cx << "," << i.rect.cy << ", style 0x"
            << std::hex << i.style << std::dec << "}";
}

struct Template {
  DWORD style = 0;
  DWORD exStyle = 0;
  Rect16 rect{};
  std::string menu, cls, caption;
  WORD pointSize = 0;
  std::string face;
  std::vector<Item> items;
  std::vector<DWORD> itemExStyles;
  std::vector<WORD> itemDataSizes;
};

bool ReadTemplate(const std::vector<BYTE>& bytes, Template* t) {
  TemplateReader r(bytes);
  t->style = r.Dword();
  t->exStyle = r.Dword();
  WORD count = r.Word();
  t->rect = {r.Short(), r.Short(), r.Short(), r.Short()};
  t->menu = r.NameOrOrdinal();
  t->cls = r.NameOrOrdinal();
  t->caption = r.Text();
  if (t->style & DS_SETFONT) {
    t->pointSize = r.Word();
    t->face = r.Text();
  }
  for (WORD n = 0; n < count && r.ok(); ++n) {
    r.AlignDword();
    Item item;
    item.style = r.Dword();
    t->itemExStyles.push_back(r.Dword());
    item.rect = {r.Short(), r.Short(), r.Short(), r.Short()};
    item.id = r.Word();
    item.cls = r.NameOrOrdinal();
    item.text = r.NameOrOrdinal();
    WORD data = r.Word();
    t->itemDataSizes.push_back(data);
    r.Skip(data);
    t->items.push_back(item);
  }
  return r.ok() && r.offset() <= bytes.size();
}

std::string Ord(int n) { return "#" + std::to_string(n); }

const std::string kButton = Ord(0x80);
const std::string kEdit = Ord(0x81);
const std::string kStatic = Ord(0x82);
const std::string kListBox = Ord(0x83);
const std::string kComboBox = Ord(0x85);
const WORD kNoId = 0xFFFF;

// A text the program chooses itself (the Welcome page's legal notice):
// it is only required to be there.
const std::string kOwnText = "\x01own text";

const DWORD kShown = WS_CHILD | WS_VISIBLE;
const DWORD kHidden = WS_CHILD;
const DWORD kPageStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;

struct DialogCase {
  const char* name;
  WORD id;
  DWORD style;
  Rect16 rect;
  std::string cls;
  std::string caption;
  std::vector<Item> items;
};

const Rect16 kPageRect = {0, 0, 280, 183};

// The controls every page shares.
const Item kNext = {1, kButton, "&Next >", {173, 162, 43, 14}, kShown | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP};
const Item kCancel = {2, kButton, "Cancel", {225, 162, 43, 14}, kShown | BS_PUSHBUTTON | WS_TABSTOP};
const Item kSeparator = {1006, kStatic, "", {5, 155, 264, 1}, kShown | SS_BLACKFRAME};
const Item kSidePicture = {1022, kStatic, Ord(304), {6, 10, 80, 136}, kShown | SS_BITMAP | WS_DISABLED};

std::vector<DialogCase> DialogCases() {
  const DWORD text = kShown | SS_LEFT | WS_GROUP;  // left-aligned, starts a group
  return {
      {"Welcome", 101, kPageStyle, kPageRect, "SETUP_BEGIN", "Setup",
       {
           kNext,
           kCancel,
           kSeparator,
           {1023, kStatic, " Welcome to the Setup Program.", {123, 10, 145, 8}, text},
           {1024, kStatic, " This program will install %s into your computer.", {123, 19, 145, 16}, text},
           {kNoId, kStatic, "Click Cancel to quit Setup and then close any", {96, 76, 170, 8}, text},
           {kNoId, kStatic, Ord(200), {96, 10, 18, 20}, kShown | SS_ICON},
           kSidePicture,
           {kNoId, kStatic, "It is strongly recommended that you exit all Windows ", {96, 46, 172, 8}, text},
           {kNoId, kStatic, "programs before running this Setup program.", {96, 56, 170, 8}, text},
           {kNoId, kStatic, "programs you have running.", {96, 86, 170, 8}, text},
           {kNoId, kStatic, "Click Next to continue with the Setup program.", {96, 102, 170, 8}, text},
           {kNoId, kStatic, kOwnText, {96, 125, 172, 8}, text},
           {kNoId, kStatic, kOwnText, {96, 135, 170, 8}, text},
           {3, kButton, "< &Back", {130, 162, 43, 14}, kShown | BS_PUSHBUTTON | WS_DISABLED},
       }},
      {"MouseType", 108, kPageStyle, kPageRect, "SETUP_SELMOUSE", "Setup",
       {
           kNext,
           kCancel,
           // One group of two, reached by Tab and chosen by the arrows or
           // their mnemonics; Back begins the next group.
           {1034, kButton, "&Serial Mouse", {96, 40, 60, 10}, kShown | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP},
           {1035, kButton, "&PS/2 Mouse", {96, 94, 60, 10}, kShown | BS_AUTORADIOBUTTON},
           {3, kButton, "< &Back", {130, 162, 43, 14}, kShown | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP},
           {kNoId, kStatic, "Please select the correct mouse type :", {96, 13, 170, 8}, text},
           kSeparator,
           kSidePicture,
           {kNoId, kStatic, Ord(113), {190, 31, 47, 31}, kShown | SS_BITMAP},
           {kNoId, kStatic, Ord(112), {190, 85, 47, 31}, kShown | SS_BITMAP},
       }},
      {"Directory", 107, kPageStyle, kPageRect, "SETUP_SELDIR", "Setup",
       {
           {kNoId, kStatic, "Please select the directory where the", {96, 13, 170, 8}, text},
           kSeparator,
           kNext,
           kCancel,
           {3, kButton, "< &Back", {130, 162, 43, 14}, kShown | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP},
           {kNoId, kButton, "Destination Directory", {96, 117, 172, 29}, kShown | BS_GROUPBOX},
           // A path may hold "&": shown as it is.
           {1003, kStatic, "C:\\Program Files\\Velmora Mouse", {102, 131, 120, 8}, kShown | SS_LEFT | SS_NOPREFIX},
           {1025, kButton, "B&rowse...", {224, 127, 38, 14}, kShown | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP},
           {1023, kStatic, "%s files are to be installed :", {96, 23, 170, 20}, kShown | SS_LEFT},
           kSidePicture,
       }},
      {"Install", 103, kPageStyle, kPageRect, "SETUP_INSTALL", "Setup",
       {
           {1, kButton, "Cancel", {225, 162, 43, 14}, kShown | BS_DEFPUSHBUTTON},
           // File names and descriptions from the script: shown as they are.
           {1019, kStatic, "", {96, 32, 173, 24}, kShown | SS_LEFT | SS_NOPREFIX},
           {1011, kStatic, "", {96, 69, 141, 12}, kHidden | SS_BLACKFRAME},
           {1013, kStatic, "0%", {249, 71, 20, 8}, kShown | SS_LEFT},
           kSeparator,
           kSidePicture,
           {1009, kStatic, "", {90, 125, 48, 16}, kHidden | SS_BLACKFRAME},
           {1010, kStatic, "", {146, 125, 48, 16}, kHidden | SS_BLACKFRAME},
           {1012, kStatic, "", {100, 127, 110, 12}, kHidden | SS_BLACKFRAME},
           {1014, kStatic, "0%", {222, 129, 20, 8}, kHidden | SS_LEFT},
           {1015, kStatic, Ord(201), {115, 122, 18, 20}, kHidden | SS_ICON},
           {1016, kStatic, Ord(201), {141, 122, 18, 20}, kHidden | SS_ICON},
           {1017, kStatic, Ord(201), {167, 122, 18, 20}, kHidden | SS_ICON},
           {1018, kStatic, Ord(202), {193, 122, 18, 20}, kHidden | SS_ICON},
       }},
      {"Finish", 102, kPageStyle, kPageRect, "SETUP_END", "Setup",
       {
           {1, kButton, "Finish", {225, 163, 43, 14}, kShown | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
           {1023, kStatic, "You have installed %s Successfully !", {96, 13, 175, 16}, text},
           kSeparator,
           {kNoId, kStatic, "You must restart your computer before using it !", {96, 35, 164, 8}, text},
           kSidePicture,
           {1032, kButton, "&Yes, I want to restart my computer now.", {98, 72, 158, 10},
            kShown | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP},
           {1033, kButton, "&No, I will restart my computer later.", {98, 86, 158, 10}, kShown | BS_AUTORADIOBUTTON},
           {kNoId, kStatic, "Click the Finish button to complete installation.", {98, 117, 169, 8}, text},
       }},
      {"Browse", 104, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, {30, 30, 169, 170},
       "", "Browse Directory",
       {
           {1, kButton, "OK", {108, 46, 52, 14}, kShown | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
           {2, kButton, "Cancel", {108, 66, 52, 14}, kShown | BS_PUSHBUTTON | WS_TABSTOP},
           {1121, kListBox, "", {8, 70, 92, 68},
            kShown | LBS_NOTIFY | LBS_SORT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_DISABLENOSCROLL |
                WS_VSCROLL | WS_BORDER | WS_TABSTOP},
           {1137, kComboBox, "", {8, 152, 92, 68},
            kShown | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_SORT | CBS_AUTOHSCROLL |
                WS_VSCROLL | WS_BORDER | WS_TABSTOP},
           {1088, kStatic, "", {8, 55, 92, 9}, kShown | SS_LEFT | SS_NOPREFIX | WS_GROUP},
           // The file controls: hidden; their type bits are our choice.
           {1136, kComboBox, "", {209, 50, 30, 36}, kHidden | CBS_DROPDOWNLIST | WS_VSCROLL},
           {1152, kEdit, "", {208, 38, 26, 12}, kHidden | ES_AUTOHSCROLL | WS_BORDER},
           {1090, kStatic, "File &Name:", {178, 38, 39, 10}, kShown | SS_LEFT},  // beyond the right edge
           {1120, kListBox, "", {220, 30, 36, 9}, kHidden | LBS_SORT | LBS_HASSTRINGS | WS_VSCROLL},
           {kNoId, kStatic, "&Directories:", {8, 45, 92, 9}, kShown | SS_LEFT},
           {1089, kStatic, "List Files of &Type:", {181, 12, 62, 9}, kHidden | SS_LEFT},
           {1091, kStatic, "Dri&ves:", {8, 142, 92, 9}, kShown | SS_LEFT},
           {1040, kButton, "&Read Only", {188, 34, 33, 12}, kHidden | BS_AUTOCHECKBOX},
           {1092, kStatic, "List Files of &Type:", {204, 22, 47, 9}, kHidden | SS_LEFT},
           {kNoId, kStatic, "", {6, 38, 155, 1}, kShown | SS_BLACKFRAME},
           {kNoId, kStatic, "Destination Directory :", {8, 6, 92, 8}, kShown | SS_LEFT},
           {1003, kEdit, "", {8, 19, 152, 12}, kShown | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
       }},
  };
}

void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

class DialogTemplate : public testing::TestWithParam<DialogCase> {};

TEST_P(DialogTemplate, MatchesItsLayout) {
  const DialogCase& want = GetParam();
  std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, want.id);
  ASSERT_FALSE(bytes.empty()) << "no dialog " << want.id;
  Template got;
  ASSERT_TRUE(ReadTemplate(bytes, &got)) << "template " << want.id << " is cut short";

  EXPECT_EQ(want.style, got.style) << std::hex << "0x" << want.style << " vs 0x" << got.style;
  EXPECT_EQ(0u, got.exStyle);
  EXPECT_TRUE(want.rect == got.rect)
      << got.rect.x << "," << got.rect.y << "," << got.rect.cx << "," << got.rect.cy;
  EXPECT_EQ("", got.menu);
  EXPECT_EQ(want.cls, got.cls);
  EXPECT_EQ(want.caption, got.caption);
  EXPECT_EQ(8, got.pointSize);
  EXPECT_EQ("Arial", got.face);

  ASSERT_EQ(want.items.size(), got.items.size());
  for (size_t i = 0; i < want.items.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "item " << i);
    Item expected = want.items[i];
    if (expected.text == kOwnText) {
      EXPECT_FALSE(got.items[i].text.empty());
      expected.text = got.items[i].text;
    }
    EXPECT_EQ(expected, got.items[i]);
    EXPECT_EQ(0u, got.itemExStyles[i]);
    EXPECT_EQ(0u, got.itemDataSizes[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplate, testing::ValuesIn(DialogCases()),
                         [](const testing::TestParamInfo<DialogCase>& p) { return p.param.name; });

// --- bitmaps ----------------------------------------------------------------

struct BitmapCase {
  WORD id;
  LONG width, height;
  WORD bits;
};

const BitmapCase kBitmaps[] = {
    {112, 70, 55, 8},    // PS/2 mouse
    {113, 70, 55, 8},    // serial mouse
    {304, 118, 234, 4},  // side picture
    {306, 217, 50, 4},   // title
    {307, 490, 43, 4},   // banner
};

// A bitmap resource: header, palette and the colour of each pixel. The
// pixels are run-length encoded (BI_RLE8, BI_RLE4) and expanded here.
struct Dib {
  BITMAPINFOHEADER header{};
  std::vector<RGBQUAD> palette;
  std::vector<BYTE> bytes;
  std::vector<BYTE> indices;  // one palette index per pixel, rows top first

  bool Read(WORD id) {
    bytes = ResourceBytes(RT_BITMAP, id);
    if (bytes.size() < sizeof header) return false;
    memcpy(&header, bytes.data(), sizeof header);
    size_t colours = header.biClrUsed ? header.biClrUsed : (header.biBitCount <= 8 ? 1u << header.biBitCount : 0);
    size_t at = header.biSize + colours * sizeof(RGBQUAD);
    if (header.biSize != sizeof header || bytes.size() < at || header.biWidth <= 0 || header.biHeight <= 0)
      return false;
    palette.resize(colours);
    memcpy(palette.data(), bytes.data() + header.biSize, colours * sizeof(RGBQUAD));
    return Expand(at) && header.biSizeImage == bytes.size() - at;
  }
  // Every pixel set exactly once, every row ended, the data ended by the
  // end-of-bitmap code and nothing after it.
  bool Expand(size_t at) {
    const bool four = header.biBitCount == 4;
    if ((header.biCompression != BI_RLE8 || header.biBitCount != 8) &&
        (header.biCompression != BI_RLE4 || !four))
      return false;
    const LONG width = header.biWidth, height = header.biHeight;
    indices.assign(static_cast<size_t>(width) * height, 0);
    std::vector<bool> set(indices.size(), false);
    LONG x = 0, row = 0;  // row counts from the bottom
    auto put = [&](BYTE index) {
      if (x >= width || row >= height) return false;
      size_t i = static_cast<size_t>(height - 1 - row) * width + x++;
      if (set[i]) return false;
      set[i] = true;
      indices[i] = index;
      return true;
    };
    size_t p = at;
    while (p + 2 <= bytes.size()) {
      BYTE count = bytes[p], value = bytes[p + 1];
      p += 2;
      if (count != 0) {  // a run: one index, or two alternating ones
        for (int k = 0; k < count; ++k)
          if (!put(four ? (k % 2 ? value & 0x0F : value >> 4) : value)) return false;
      } else if (value == 0 || value == 1) {  // end of the row, of the bitmap
        if (x != width) return false;
        x = 0, ++row;
        if (value == 1) return row == height && p == bytes.size();
      } else if (value == 2) {
        return false;  // no deltas: every pixel is given
      } else {  // absolute: value pixels, padded to a 16-bit boundary
        size_t n = four ? (value + 1) / 2 : value;
        if (p + n > bytes.size()) return false;
        for (int k = 0; k < value; ++k)
          if (!put(four ? (k % 2 ? bytes[p + k / 2] & 0x0F : bytes[p + k / 2] >> 4) : bytes[p + k])) return false;
        p += n + n % 2;
      }
    }
    return false;
  }
  COLORREF Pixel(int x, int y) const {
    const RGBQUAD& q = palette[indices[static_cast<size_t>(y) * header.biWidth + x]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
};

TEST(Resources, BitmapsHaveTheirSizesAndColourDepths) {
  for (const BitmapCase& c : kBitmaps) {
    SCOPED_TRACE(testing::Message() << "bitmap " << c.id);
    Dib dib;
    ASSERT_TRUE(dib.Read(c.id));
    EXPECT_EQ(c.width, dib.header.biWidth);
    EXPECT_EQ(c.height, dib.header.biHeight);  // positive: bottom-up, as Windows 95 expects
    EXPECT_EQ(1, dib.header.biPlanes);
    EXPECT_EQ(c.bits, dib.header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(c.bits == 8 ? BI_RLE8 : BI_RLE4), dib.header.biCompression);
    // 16 colours: the standard palette whole; 256: the colours used, up to 256.
    if (c.bits == 4) EXPECT_EQ(16u, dib.palette.size());
    else EXPECT_TRUE(dib.palette.size() >= 2 && dib.palette.size() <= 256) << dib.palette.size();

    // The platform reads it too.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(SetupModule(), MAKEINTRESOURCEA(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, bitmap);
    DIBSECTION section{};
    EXPECT_EQ(static_cast<int>(sizeof section), GetObjectA(bitmap, sizeof section, &section));
    EXPECT_EQ(c.width, section.dsBm.bmWidth);
    EXPECT_EQ(c.height, section.dsBm.bmHeight);
    EXPECT_EQ(c.bits, section.dsBmih.biBitCount);
    // ... and expands the runs to the very pixels read above.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        if (GetPixel(dc, x, y) != dib.Pixel(x, y) && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    EXPECT_EQ(0, wrong);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

// The backdrop draws every pixel of the title and the banner that is not
// exactly magenta. Lettering must therefore have hard edges: white letters
// (and, on the title, a dark shadow), with no blended fringe pixels.
TEST(Resources, TitleAndBannerAreLetteringOnExactMagenta) {
  struct Case {
    WORD id;
    bool shadow;
  };
  for (Case c : {Case{306, true}, Case{307, false}}) {
    SCOPED_TRACE(testing::Message() << "bitmap " << c.id);
    Dib dib;
    ASSERT_TRUE(dib.Read(c.id));
    int key = 0, white = 0, dark = 0, other = 0;
    for (int y = 0; y < dib.header.biHeight; ++y) {
      for (int x = 0; x < dib.header.biWidth; ++x) {
        COLORREF p = dib.Pixel(x, y);
        // Dark and without a red tint: purple, the blend of a dark shadow
        // with magenta, does not count.
        bool isDark = GetRValue(p) == GetGValue(p) && GetRValue(p) <= 128 && GetBValue(p) <= 128;
        if (p == RGB(255, 0, 255)) {
          ++key;
        } else if (p == RGB(255, 255, 255)) {
          ++white;
        } else if (c.shadow && isDark) {
          ++dark;
        } else if (++other <= 5) {
          ADD_FAILURE() << "pixel " << x << "," << y << " is 0x" << std::hex << p;
        }
      }
    }
    EXPECT_EQ(0, other);
    EXPECT_GT(white, 200) << "too little lettering";
    EXPECT_GT(key, white + dark) << "the background is not magenta";
    if (c.shadow) {
      EXPECT_GT(dark, 100) << "no shadow";
    }
    EXPECT_EQ(RGB(255, 0, 255), dib.Pixel(0, 0));
    EXPECT_EQ(RGB(255, 0, 255), dib.Pixel(dib.header.biWidth - 1, dib.header.biHeight - 1));
  }
}

// --- icons ------------------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Resources, IconsAre32By32With16ColoursAndAMask) {
  for (WORD id : {WORD{200}, WORD{201}, WORD{202}}) {
    SCOPED_TRACE(testing::Message() << "icon " << id);
    std::vector<BYTE> group = ResourceBytes(RT_GROUP_ICON, id);
    ASSERT_GE(group.size(), sizeof(GroupIconHeader) + sizeof(GroupIconEntry));
    GroupIconHeader head;
    GroupIconEntry entry;
    memcpy(&head, group.data(), sizeof head);
    memcpy(&entry, group.data() + sizeof head, sizeof entry);
    EXPECT_EQ(1, head.type);
    EXPECT_EQ(1, head.count);
    EXPECT_EQ(32, entry.width);
    EXPECT_EQ(32, entry.height);
    EXPECT_EQ(16, entry.colours);
    EXPECT_EQ(4, entry.bitCount);

    std::vector<BYTE> image = ResourceBytes(RT_ICON, entry.id);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih;
    memcpy(&bih, image.data(), sizeof bih);
    EXPECT_EQ(32, bih.biWidth);
    EXPECT_EQ(64, bih.biHeight);  // colour image and mask together
    EXPECT_EQ(4, bih.biBitCount);
    // Header, 16 colours, 32 rows of 16 bytes of colour, 32 rows of 4 bytes of mask.
    const size_t colourAt = 40 + 16 * 4, maskAt = colourAt + 32 * 16;
    ASSERT_EQ(maskAt + 32 * 4, image.size());
    // A transparent pixel (mask bit 1) must have colour 0, or it would
    // invert the screen beneath it instead of letting it show through.
    int transparent = 0, inverting = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (!(image[maskAt + y * 4 + x / 8] & (0x80 >> (x % 8)))) continue;
        ++transparent;
        BYTE pair = image[colourAt + y * 16 + x / 2];
        inverting += (x % 2 ? pair & 0x0F : pair >> 4) != 0;
      }
    }
    EXPECT_GT(transparent, 0) << "the mask leaves nothing transparent";
    EXPECT_LT(transparent, 32 * 32) << "the icon is empty";
    EXPECT_EQ(0, inverting);

    HICON icon = static_cast<HICON>(LoadImageA(SetupModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(nullptr, icon);
    DestroyIcon(icon);
  }
}

}  // namespace
