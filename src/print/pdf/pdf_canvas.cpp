// PDF output through cairo, fonts through pango and fontconfig.
#include "print/pdf/pdf_canvas.hpp"

#include <cairo-pdf.h>
#include <cairo.h>
#include <hb.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>
#include <exception>
#include <unordered_map>
#include <vector>

#include "print/font_families.hpp"
#include "print/print_settings.hpp"

namespace vardex::print {
namespace {

constexpr double kSlack = 0.01;

std::string FamilyList(const std::string& name) {
  std::string list;
  for (const std::string& family : FontFamilies(name)) list += (list.empty() ? "" : ",") + family;
  return list;
}

struct Glyph {
  uint32_t font = 0;  ///< index into the face's fonts
  uint32_t index = 0;
  double advance = 0;
};

// One FontSpec: its fontset (the named face and the fallbacks) and the glyphs met so far.
struct Face {
  PangoFontset* fontset = nullptr;
  std::vector<PangoFont*> fonts;
  std::unordered_map<char32_t, Glyph> glyphs;
  FontExtents extents;

  Face() = default;
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  ~Face() {
    for (PangoFont* f : fonts) g_object_unref(f);
    if (fontset != nullptr) g_object_unref(fontset);
  }
};

}  // namespace

struct PdfFontCache {
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
  std::unordered_map<std::string, std::unique_ptr<Face>> faces;
  std::unordered_map<std::string, double> digit_widths;
  std::string key;  // scratch

  PdfFontCache() {
    map = pango_cairo_font_map_new();
    context = pango_font_map_create_context(map);
    // Points in, points out; outlines unhinted, so that widths are those of the printed face.
    pango_cairo_context_set_resolution(context, 72);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
  }
  PdfFontCache(const PdfFontCache&) = delete;
  PdfFontCache& operator=(const PdfFontCache&) = delete;
  ~PdfFontCache() {
    faces.clear();
    g_object_unref(context);
    g_object_unref(map);
  }

  static PangoFontDescription* Description(const std::string& family, const FontSpec& spec) {
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_weight(desc, spec.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, spec.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc, std::max(spec.size, 0.1) * PANGO_SCALE);
    return desc;
  }

  Face& FaceOf(const FontSpec& spec) {
    key = spec.family;
    key += spec.bold ? "|b" : "|";
    key += spec.italic ? "i|" : "|";
    key += std::to_string(std::lround(spec.size * 1000));
    auto it = faces.find(key);
    if (it != faces.end()) return *it->second;
    auto face = std::make_unique<Face>();
    PangoFontDescription* desc = Description(FamilyList(spec.family), spec);
    face->fontset =
        pango_font_map_load_fontset(map, context, desc, pango_language_from_string("zh-cn"));
    pango_font_description_free(desc);
    if (face->fontset != nullptr) {
      PangoFontMetrics* metrics = pango_fontset_get_metrics(face->fontset);
      face->extents.ascent = pango_font_metrics_get_ascent(metrics) / double{PANGO_SCALE};
      face->extents.descent = pango_font_metrics_get_descent(metrics) / double{PANGO_SCALE};
      pango_font_metrics_unref(metrics);
    }
    if (face->extents.ascent <= 0) face->extents = {spec.size * 0.88, spec.size * 0.12};
    return *faces.emplace(key, std::move(face)).first->second;
  }

  const Glyph& GlyphOf(Face& face, const FontSpec& spec, char32_t cp) {
    auto it = face.glyphs.find(cp);
    if (it != face.glyphs.end()) return it->second;
    Glyph glyph;
    glyph.advance = spec.size / 2;
    const char32_t shown = cp < 0x20 ? U' ' : cp;
    PangoFont* font =
        face.fontset != nullptr ? pango_fontset_get_font(face.fontset, shown) : nullptr;
    if (font != nullptr) {
      auto known = std::find(face.fonts.begin(), face.fonts.end(), font);
      if (known == face.fonts.end()) {
        face.fonts.push_back(font);
        known = face.fonts.end() - 1;
      } else {
        g_object_unref(font);
      }
      glyph.font = static_cast<uint32_t>(known - face.fonts.begin());
      hb_codepoint_t index = 0;
      if (hb_font_get_nominal_glyph(pango_font_get_hb_font(*known), shown, &index) != 0) {
        glyph.index = index;
        PangoRectangle logical;
        pango_font_get_glyph_extents(*known, index, nullptr, &logical);
        glyph.advance = logical.width / double{PANGO_SCALE};
      }
    }
    return face.glyphs.emplace(cp, glyph).first->second;
  }

  double Width(const FontSpec& spec, std::string_view utf8) {
    Face& face = FaceOf(spec);
    double width = 0;
    for (std::size_t i = 0; i < utf8.size();)
      width += GlyphOf(face, spec, NextCodePoint(utf8, i)).advance;
    return width;
  }

  // The widest digit of the face that fontconfig gives for the name alone, with no language
  // preference: what a spreadsheet program measures its column widths by.
  double DigitWidth(const FontSpec& spec) {
    const std::string k = spec.family + "|" + std::to_string(std::lround(spec.size * 1000));
    if (auto it = digit_widths.find(k); it != digit_widths.end()) return it->second;
    FontSpec plain = spec;
    plain.bold = plain.italic = false;
    PangoFontDescription* desc = Description(spec.family, plain);
    PangoFontset* set =
        pango_font_map_load_fontset(map, context, desc, pango_language_from_string("en"));
    pango_font_description_free(desc);
    double widest = 0;
    if (set != nullptr) {
      for (char32_t d = U'0'; d <= U'9'; ++d) {
        PangoFont* font = pango_fontset_get_font(set, d);
        if (font == nullptr) continue;
        hb_codepoint_t index = 0;
        if (hb_font_get_nominal_glyph(pango_font_get_hb_font(font), d, &index) != 0) {
          PangoRectangle logical;
          pango_font_get_glyph_extents(font, index, nullptr, &logical);
          widest = std::max(widest, logical.width / double{PANGO_SCALE});
        }
        g_object_unref(font);
      }
      g_object_unref(set);
    }
    digit_widths[k] = widest;
    return widest;
  }
};

PdfTextMeasure::PdfTextMeasure() : fonts_(std::make_unique<PdfFontCache>()) {}
PdfTextMeasure::~PdfTextMeasure() = default;
double PdfTextMeasure::Width(const FontSpec& font, std::string_view utf8) {
  return fonts_->Width(font, utf8);
}
FontExtents PdfTextMeasure::Extents(const FontSpec& font) { return fonts_->FaceOf(font).extents; }
double PdfTextMeasure::DigitWidth(const FontSpec& font) { return fonts_->DigitWidth(font); }

struct PdfCanvas::Document {
  Sink sink;
  std::string title;
  std::exception_ptr error;
  bool closed = false;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  PdfFontCache fonts;

  // Drawing is gathered and handed to cairo in few large operations: every operation costs
  // cairo an analysis at the end of the page, so that a page of a thousand cells drawn cell by
  // cell would take far longer than the same page drawn as a handful of paths and text runs.
  enum class Path { kNone, kFill, kStroke };
  Path path = Path::kNone;
  uint32_t path_color = 0;
  double path_width = 0;
  Dash path_dash = Dash::kSolid;

  struct TextRun {
    cairo_scaled_font_t* font;
    uint32_t color;
    std::string utf8;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
  };
  std::vector<TextRun> runs;
  std::vector<uint32_t> owners;  // scratch: the font of each glyph of a text
  std::vector<cairo_glyph_t> glyphs;
  std::vector<cairo_text_cluster_t> clusters;

  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    auto* doc = static_cast<Document*>(closure);
    if (doc->closed || doc->error) return CAIRO_STATUS_WRITE_ERROR;
    try {
      doc->sink(std::string_view(reinterpret_cast<const char*>(data), length));
    } catch (...) {
      doc->error = std::current_exception();
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  }

  void Check() {
    if (error) std::rethrow_exception(error);
    const cairo_status_t status = cr != nullptr ? cairo_status(cr) : CAIRO_STATUS_SUCCESS;
    if (status != CAIRO_STATUS_SUCCESS)
      throw PrintError(std::string("PDF 写入失败：") + cairo_status_to_string(status));
  }

  void Release() {
    if (cr != nullptr) cairo_destroy(cr);
    if (surface != nullptr) cairo_surface_destroy(surface);
    cr = nullptr;
    surface = nullptr;
  }

  void SetColor(uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
  }

  void FlushPath() {
    if (path == Path::kNone) return;
    SetColor(path_color);
    if (path == Path::kFill) {
      cairo_fill(cr);
    } else {
      cairo_set_line_width(cr, path_width);
      if (path_dash == Dash::kSolid) {
        cairo_set_dash(cr, nullptr, 0, 0);
      } else {
        const double pattern[] = {path_dash == Dash::kDashed ? 3 * path_width + 1 : path_width,
                                  2 * path_width};
        cairo_set_dash(cr, pattern, 2, 0);
      }
      cairo_stroke(cr);
    }
    path = Path::kNone;
  }

  void FlushTexts() {
    for (TextRun& run : runs) {
      cairo_set_scaled_font(cr, run.font);
      SetColor(run.color);
      cairo_show_text_glyphs(cr, run.utf8.data(), static_cast<int>(run.utf8.size()),
                             run.glyphs.data(), static_cast<int>(run.glyphs.size()),
                             run.clusters.data(), static_cast<int>(run.clusters.size()),
                             static_cast<cairo_text_cluster_flags_t>(0));
    }
    runs.clear();
  }

  // Starts gathering a path of `kind`; what was gathered in another style is drawn first.
  void Gather(Path kind, uint32_t color, double width, Dash dash) {
    if (!runs.empty()) FlushTexts();
    if (path == kind && path_color == color &&
        (kind == Path::kFill || (path_width == width && path_dash == dash)))
      return;
    FlushPath();
    path = kind;
    path_color = color;
    path_width = width;
    path_dash = dash;
  }

  TextRun& RunFor(cairo_scaled_font_t* font, uint32_t color) {
    for (TextRun& run : runs)
      if (run.font == font && run.color == color) return run;
    return runs.emplace_back(TextRun{font, color, {}, {}, {}});
  }
};

PdfCanvas::PdfCanvas(Sink sink, const std::string& title) : doc_(std::make_unique<Document>()) {
  doc_->sink = std::move(sink);
  doc_->title = title;
}

PdfCanvas::~PdfCanvas() {
  // An unfinished document goes nowhere: the sink may be gone already.
  doc_->closed = true;
  doc_->Release();
}

double PdfCanvas::Width(const FontSpec& font, std::string_view utf8) {
  return doc_->fonts.Width(font, utf8);
}
FontExtents PdfCanvas::Extents(const FontSpec& font) { return doc_->fonts.FaceOf(font).extents; }
double PdfCanvas::DigitWidth(const FontSpec& font) { return doc_->fonts.DigitWidth(font); }

void PdfCanvas::BeginPage(double width, double height) {
  Document& d = *doc_;
  if (d.surface == nullptr) {
    d.surface = cairo_pdf_surface_create_for_stream(&Document::Write, &d, width, height);
    cairo_pdf_surface_set_metadata(d.surface, CAIRO_PDF_METADATA_TITLE, d.title.c_str());
    cairo_pdf_surface_set_metadata(d.surface, CAIRO_PDF_METADATA_CREATOR, "Vardex");
    d.cr = cairo_create(d.surface);
  } else {
    cairo_pdf_surface_set_size(d.surface, width, height);
  }
  d.Check();
}

void PdfCanvas::FillRect(const Rect& rect, uint32_t argb) {
  Document& d = *doc_;
  d.Gather(Document::Path::kFill, argb, 0, Dash::kSolid);
  cairo_rectangle(d.cr, rect.x, rect.y, rect.width, rect.height);
}

void PdfCanvas::Line(double x1, double y1, double x2, double y2, double width, Dash dash,
                     uint32_t argb) {
  Document& d = *doc_;
  d.Gather(Document::Path::kStroke, argb, width, dash);
  cairo_move_to(d.cr, x1, y1);
  cairo_line_to(d.cr, x2, y2);
}

void PdfCanvas::Text(const FontSpec& font, uint32_t argb, double x, double y, std::string_view utf8,
                     const Rect& clip) {
  Document& d = *doc_;
  Face& face = d.fonts.FaceOf(font);
  d.glyphs.clear();
  d.clusters.clear();
  d.owners.clear();
  double pen = x;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    const Glyph& g = d.fonts.GlyphOf(face, font, NextCodePoint(utf8, i));
    d.glyphs.push_back({g.index, pen, y});
    d.clusters.push_back({static_cast<int>(i - at), 1});
    d.owners.push_back(g.font);
    pen += g.advance;
  }
  if (d.glyphs.empty() || face.fonts.empty()) return;
  d.FlushPath();
  // Clipping costs the PDF a group per text: only a text that runs out of its box sideways, or
  // whose baseline leaves it (a wrapped text in too low a row), is clipped and drawn at once.
  const bool clipped = x < clip.x - kSlack || pen > clip.Right() + kSlack || y < clip.y - kSlack ||
                       y > clip.Bottom() + kSlack;
  if (clipped) d.FlushTexts();
  // One run per font, with the text of its glyphs, so that the PDF maps them back to characters.
  std::size_t start = 0;
  std::size_t byte = 0;
  while (start < d.glyphs.size()) {
    std::size_t end = start;
    std::size_t bytes = 0;
    while (end < d.glyphs.size() && d.owners[end] == d.owners[start]) {
      bytes += static_cast<std::size_t>(d.clusters[end].num_bytes);
      ++end;
    }
    Document::TextRun& run = d.RunFor(
        pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(face.fonts[d.owners[start]])), argb);
    run.utf8.append(utf8.substr(byte, bytes));
    run.glyphs.insert(run.glyphs.end(), d.glyphs.begin() + static_cast<std::ptrdiff_t>(start),
                      d.glyphs.begin() + static_cast<std::ptrdiff_t>(end));
    run.clusters.insert(run.clusters.end(), d.clusters.begin() + static_cast<std::ptrdiff_t>(start),
                        d.clusters.begin() + static_cast<std::ptrdiff_t>(end));
    byte += bytes;
    start = end;
  }
  if (clipped) {
    cairo_save(d.cr);
    cairo_rectangle(d.cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(d.cr);
    d.FlushTexts();
    cairo_restore(d.cr);
  }
}

void PdfCanvas::EndPage() {
  Document& d = *doc_;
  d.FlushPath();
  d.FlushTexts();
  cairo_show_page(d.cr);
  d.Check();
}

void PdfCanvas::Finish() {
  Document& d = *doc_;
  if (d.surface == nullptr) throw PrintError("没有可打印的页面");
  cairo_destroy(d.cr);
  d.cr = nullptr;
  cairo_surface_finish(d.surface);
  const cairo_status_t status = cairo_surface_status(d.surface);
  d.closed = true;
  d.Release();
  if (d.error) std::rethrow_exception(d.error);
  if (status != CAIRO_STATUS_SUCCESS)
    throw PrintError(std::string("PDF 写入失败：") + cairo_status_to_string(status));
}

}  // namespace vardex::print
