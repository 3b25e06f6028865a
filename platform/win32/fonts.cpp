// Fonts of the Windows canvas: the GDI+ session, privately registered fonts, the face a missing one
// falls back to, and whether a font has the glyphs of a text.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "gdiplus_session.h"
#include "support.h"

namespace platform {
namespace win32 {
namespace {

class Session {
 public:
  Session() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) throw std::runtime_error("GDI+ cannot be started");
  }
  ~Session() { Gdiplus::GdiplusShutdown(token_); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// A face the system lacks is drawn with the first of these that is installed: Windows' own UI faces,
// then the sans families a system without them (Wine on Linux) usually has, in the order the Linux
// build prefers them too.
constexpr const wchar_t* kFallbacks[] = {L"Segoe UI", L"Tahoma", L"Arial", L"DejaVu Sans", L"Noto Sans", L"Liberation Sans"};

std::wstring Lower(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::unique_ptr<Gdiplus::FontFamily> Open(const std::wstring& name, const Gdiplus::FontCollection* collection) {
  auto family = std::make_unique<Gdiplus::FontFamily>(name.c_str(), collection);
  if (family->GetLastStatus() != Gdiplus::Ok || !family->IsAvailable()) return nullptr;
  return family;
}

std::wstring NameOf(const Gdiplus::FontFamily& family) {
  WCHAR name[LF_FACESIZE] = {};
  family.GetFamilyName(name);
  return name;
}

// Everything here is process-wide: fonts are registered for the process, and what a name resolves to
// only changes when one is.
class FontTable {
 public:
  std::unique_ptr<Gdiplus::FontFamily> OpenPrivate(const std::wstring& name) {
    return privateCount_ > 0 ? Open(name, &privateFonts_) : nullptr;
  }

  const Gdiplus::FontFamily* Resolve(const std::string& family) {
    std::lock_guard lock(mutex_);
    const std::wstring wanted = Wide(family);
    auto [at, added] = resolved_.try_emplace(Lower(wanted));
    if (!added) return at->second.get();
    at->second = OpenPrivate(wanted);
    if (!at->second) at->second = Open(wanted, nullptr);
    for (const wchar_t* fallback : kFallbacks)
      if (!at->second) at->second = Open(fallback, nullptr);
    if (!at->second) {
      Gdiplus::InstalledFontCollection installed;
      if (installed.GetFamilyCount() > 0) {
        Gdiplus::FontFamily first;
        int found = 0;
        installed.GetFamilies(1, &first, &found);
        if (found == 1) at->second.reset(first.Clone());
      }
    }
    return at->second.get();
  }

  bool Installed(const std::string& family) {
    std::lock_guard lock(mutex_);
    const std::wstring name = Wide(family);
    return OpenPrivate(name) || Open(name, nullptr);
  }

  void Register(std::span<const std::uint8_t> data) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> copy(data.begin(), data.end());
    DWORD count = 0;
    // GDI needs it for glyph checks, GDI+ (which does not see GDI's private fonts) for drawing.
    HANDLE gdi = AddFontMemResourceEx(copy.data(), static_cast<DWORD>(copy.size()), nullptr, &count);
    if (!gdi) throw std::runtime_error("The font cannot be used: " + SystemMessage(GetLastError()));
    if (privateFonts_.AddMemoryFont(copy.data(), static_cast<INT>(copy.size())) != Gdiplus::Ok) {
      RemoveFontMemResourceEx(gdi);
      throw std::runtime_error("The font cannot be used for drawing");
    }
    ++privateCount_;
    memory_.push_back(std::move(copy));
    // A name that fell back before may now be this font's; families already handed out stay valid.
    for (auto& [name, family] : resolved_)
      if (family) retired_.push_back(std::move(family));
    resolved_.clear();
  }

 private:
  struct Started {
    Started() { StartGdiplus(); }
  } started_;  // first, so GDI+ is up before the collection and shut down after it
  std::mutex mutex_;
  Gdiplus::PrivateFontCollection privateFonts_;
  int privateCount_ = 0;
  // GDI+ reads a memory font from the caller's bytes for as long as the collection lives.
  std::vector<std::vector<std::uint8_t>> memory_;
  std::map<std::wstring, std::unique_ptr<Gdiplus::FontFamily>> resolved_;
  std::vector<std::unique_ptr<Gdiplus::FontFamily>> retired_;
};

FontTable& Table() {
  static FontTable table;
  return table;
}

// A GDI font selected into a memory device context, for asking about glyphs.
class GdiFont {
 public:
  GdiFont(const std::wstring& face, const TextFont& font) : dc_(CreateCompatibleDC(nullptr)) {
    LOGFONTW wanted{};
    wanted.lfHeight = -std::max(1, static_cast<int>(EmPixels(font) + 0.5));
    wanted.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    wanted.lfItalic = font.italic;
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.substr(0, LF_FACESIZE - 1).copy(wanted.lfFaceName, LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&wanted);
    if (dc_ && font_) old_ = SelectObject(dc_, font_);
    // GDI answers with some other face when it lacks this one: that face's glyphs say nothing.
    WCHAR selected[LF_FACESIZE] = {};
    valid_ = old_ && GetTextFaceW(dc_, LF_FACESIZE, selected) > 0 && Lower(selected) == Lower(wanted.lfFaceName);
  }
  ~GdiFont() {
    if (old_) SelectObject(dc_, old_);
    if (font_) DeleteObject(font_);
    if (dc_) DeleteDC(dc_);
  }
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

  bool Valid() const { return valid_; }
  HDC Dc() const { return dc_; }

  bool Has(char32_t c) {
    if (!valid_) return false;
    if (c <= 0xFFFF) {
      const WCHAR unit = static_cast<WCHAR>(c);
      WORD glyph = 0xFFFF;
      return GetGlyphIndicesW(dc_, &unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF;
    }
    return CmapHas(c);
  }

 private:
  // GDI's glyph index calls take single UTF-16 units, so characters beyond them are looked up in the
  // font's own character map (the 32-bit segmented table).
  bool CmapHas(char32_t c) {
    constexpr DWORD kCmap = 'c' | ('m' << 8) | ('a' << 16) | (DWORD('p') << 24);
    if (!cmapRead_) {
      cmapRead_ = true;
      const DWORD size = GetFontData(dc_, kCmap, 0, nullptr, 0);
      if (size != GDI_ERROR && size > 0) {
        cmap_.resize(size);
        if (GetFontData(dc_, kCmap, 0, cmap_.data(), size) != size) cmap_.clear();
      }
    }
    auto u16 = [&](std::size_t at) -> std::uint32_t { return at + 2 <= cmap_.size() ? (cmap_[at] << 8) | cmap_[at + 1] : 0; };
    auto u32 = [&](std::size_t at) -> std::uint32_t { return (u16(at) << 16) | u16(at + 2); };
    const std::uint32_t tables = u16(2);
    for (std::uint32_t i = 0; i < tables; ++i) {
      const std::size_t record = 4 + std::size_t(i) * 8;
      const std::uint32_t platformId = u16(record), encoding = u16(record + 2);
      const std::size_t table = u32(record + 4);
      const bool unicode = (platformId == 3 && encoding == 10) || platformId == 0;
      if (!unicode || u16(table) != 12) continue;
      const std::uint32_t groups = u32(table + 12);
      for (std::uint32_t g = 0; g < groups && table + 16 + std::size_t(g + 1) * 12 <= cmap_.size(); ++g) {
        const std::size_t group = table + 16 + std::size_t(g) * 12;
        if (c >= u32(group) && c <= u32(group + 4)) return u32(group + 8) != 0;
      }
    }
    return false;
  }

  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ old_ = nullptr;
  bool valid_ = false;
  bool cmapRead_ = false;
  std::vector<std::uint8_t> cmap_;
};

std::vector<char32_t> CodePoints(const std::wstring& text) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      points.push_back(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      points.push_back(c);
    }
  }
  return points;
}

}  // namespace

void StartGdiplus() { static Session session; }

const Gdiplus::FontFamily* DrawingFamily(const std::string& family) { return Table().Resolve(family); }

int FontStyleOf(const TextFont& font) {
  return (font.bold ? Gdiplus::FontStyleBold : 0) | (font.italic ? Gdiplus::FontStyleItalic : 0);
}

double EmPixels(const TextFont& font) { return font.sizeInPixels ? font.size : font.size * 96.0 / 72.0; }

Decorations DecorationsOf(const Gdiplus::FontFamily& family, const TextFont& font) {
  const double em = EmPixels(font);
  // Proportions of common UI faces, for a face that does not say.
  Decorations lines{em * 0.1, std::max(1.0, em / 14), -em * 0.3, std::max(1.0, em / 14)};
  GdiFont gdi(NameOf(family), font);
  OUTLINETEXTMETRICW metrics{};
  metrics.otmSize = sizeof metrics;
  if (gdi.Valid() && GetOutlineTextMetricsW(gdi.Dc(), sizeof metrics, &metrics) != 0) {
    // GDI's font is made at the whole-pixel em nearest the request; scale to the exact one.
    const double scale = em / std::max(1, static_cast<int>(EmPixels(font) + 0.5));
    // An underline on or above the baseline is a metric gone wrong (Wine reports 0 for some faces).
    if (metrics.otmsUnderscorePosition < 0) {
      lines.underline = -metrics.otmsUnderscorePosition * scale;
      lines.underlineSize = std::max(1.0, metrics.otmsUnderscoreSize * scale);
    }
    if (metrics.otmsStrikeoutPosition > 0) {
      lines.strikeout = -static_cast<double>(metrics.otmsStrikeoutPosition) * scale;
      lines.strikeoutSize = std::max(1.0, metrics.otmsStrikeoutSize * scale);
    }
  }
  return lines;
}

bool FamilyHasGlyphs(const Gdiplus::FontFamily& family, const TextFont& font, const std::wstring& text) {
  std::vector<char32_t> missing;
  {
    GdiFont own(NameOf(family), font);
    for (char32_t c : CodePoints(text))
      if (c >= 0x20 && !own.Has(c)) missing.push_back(c);
  }
  for (const wchar_t* fallback : kFallbacks) {
    if (missing.empty()) break;
    GdiFont other(fallback, font);
    std::erase_if(missing, [&](char32_t c) { return other.Has(c); });
  }
  return missing.empty();
}

}  // namespace win32

std::string ResolveFontFamily(const std::string& family) {
  const Gdiplus::FontFamily* found = win32::DrawingFamily(family);
  return found ? Narrow(win32::NameOf(*found)) : std::string();
}

bool FontFamilyInstalled(const std::string& family) { return win32::Table().Installed(family); }

void RegisterPrivateFont(std::span<const std::uint8_t> data) { win32::Table().Register(data); }

}  // namespace platform
