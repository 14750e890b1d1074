#include "ui/render_cairo.h"
#include "ui/render_cairo_testing.h"

#include <pango/pangocairo.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/utf.h"
#include "ui/display_scale.h"
#include "ui/frame.h"

namespace corvanite {
namespace {

// The fixed-pitch face, found through fontconfig; "monospace" is fontconfig's own choice when
// the DejaVu package is missing.
constexpr const char* FONT_FAMILY = "DejaVu Sans Mono,monospace";

void SetColor(cairo_t* cr, Color color) {
    cairo_set_source_rgb(cr, static_cast<double>((color >> 16) & 0xFF) / 255.0,
                         static_cast<double>((color >> 8) & 0xFF) / 255.0,
                         static_cast<double>(color & 0xFF) / 255.0);
}

// Fills columns left..right-1 and rows top..bottom-1; nothing when right <= left or
// bottom <= top.
void FillPixels(cairo_t* cr, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right <= left || bottom <= top) {
        return;
    }
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
}

// The pixels a 1-pixel pen paints from `from` towards `to`, the end point excluded. Horizontal
// and vertical lines are exact; any other slope steps along its major axis and takes the nearest
// pixel of the minor one.
void DrawLinePixels(cairo_t* cr, Point from, Point to) {
    if (from.y == to.y) {
        if (to.x > from.x) {
            FillPixels(cr, from.x, from.y, to.x, from.y + 1);
        } else if (to.x < from.x) {
            FillPixels(cr, to.x + 1, from.y, from.x + 1, from.y + 1);
        }
        return;
    }
    if (from.x == to.x) {
        if (to.y > from.y) {
            FillPixels(cr, from.x, from.y, from.x + 1, to.y);
        } else {
            FillPixels(cr, from.x, to.y + 1, from.x + 1, from.y + 1);
        }
        return;
    }
    const int64_t dx = static_cast<int64_t>(to.x) - from.x;
    const int64_t dy = static_cast<int64_t>(to.y) - from.y;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t steps = adx > ady ? adx : ady;
    for (int64_t i = 0; i < steps; ++i) {
        // Rounded position along the minor axis, halves away from the start.
        const int64_t x = from.x + (2 * dx * i + (dx < 0 ? -steps : steps)) / (2 * steps);
        const int64_t y = from.y + (2 * dy * i + (dy < 0 ? -steps : steps)) / (2 * steps);
        cairo_rectangle(cr, static_cast<double>(x), static_cast<double>(y), 1, 1);
    }
    cairo_fill(cr);
}

// A solid fill as GDI's FillRect makes it: an inverted side covers the columns (or rows) from
// right+1 up to left, the mirror of the usual right-exclusive span.
void FillRectPixels(cairo_t* cr, Rect rect) {
    if (rect.right < rect.left) {
        rect = Rect{rect.right + 1, rect.top, rect.left + 1, rect.bottom};
    }
    if (rect.bottom < rect.top) {
        rect = Rect{rect.left, rect.bottom + 1, rect.right, rect.top + 1};
    }
    FillPixels(cr, rect.left, rect.top, rect.right, rect.bottom);
}

// The rectangle with its corners in order, as GDI takes the corners of an outline or a clip.
Rect Normalized(Rect rect) {
    return Rect{rect.left < rect.right ? rect.left : rect.right,
                rect.top < rect.bottom ? rect.top : rect.bottom,
                rect.left < rect.right ? rect.right : rect.left,
                rect.top < rect.bottom ? rect.bottom : rect.top};
}

// Columns left and right-1, rows top and bottom-1: the closed path through the four corner
// pixels, so a 1 x 1 rectangle (whose path has no length) paints nothing.
void DrawOutlinePixels(cairo_t* cr, Rect rect) {
    const Rect sorted = Normalized(rect);
    const int32_t left = sorted.left;
    const int32_t top = sorted.top;
    const int32_t right = sorted.right;
    const int32_t bottom = sorted.bottom;
    if (right <= left || bottom <= top || (right - left == 1 && bottom - top == 1)) {
        return;
    }
    FillPixels(cr, left, top, right, top + 1);
    FillPixels(cr, left, bottom - 1, right, bottom);
    FillPixels(cr, left, top + 1, left + 1, bottom - 1);
    FillPixels(cr, right - 1, top + 1, right, bottom - 1);
}

// The Latin-1 characters of a font: the glyph and advance Pango chose for each, found once, so
// that texts made only of them are drawn straight from the font without Pango's layout.
struct GlyphCell {
    enum State : uint8_t { UNKNOWN, DIRECT, THROUGH_PANGO };
    State state = UNKNOWN;
    int32_t advance = 0;
    unsigned long index = 0;
};

// One Pango layout per font, kept for the thread's later frames: making layouts and loading the
// faces is most of the cost of a frame's text.
struct FontLayout {
    PangoLayout* layout = nullptr;
    int32_t lineHeight = 0;        // the character cell's height: what DrawTextW centres
    int32_t baseline = 0;          // from the top of the cell
    PangoFont* primary = nullptr;  // the face Pango uses for "X" (not referenced)
    cairo_scaled_font_t* scaledFont = nullptr;  // that face at the font's size (referenced)
    GlyphCell cells[256];
};

// A text ready to draw: its width, and either its glyphs (direct) or the layout holding it.
struct PreparedText {
    int32_t width = 0;
    bool direct = false;
};

struct TextRenderer {
    PangoContext* context = nullptr;
    int dpi = 0;
    FontLayout fonts[2];
    std::string utf8;                   // the text being drawn, reused
    std::vector<cairo_glyph_t> glyphs;  // the same as glyphs, reused

    TextRenderer() = default;
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;
    ~TextRenderer() { Release(); }

    void Release() {
        for (FontLayout& font : fonts) {
            if (font.scaledFont != nullptr) {
                cairo_scaled_font_destroy(font.scaledFont);
            }
            if (font.layout != nullptr) {
                g_object_unref(font.layout);
            }
            font = FontLayout{};
        }
        if (context != nullptr) {
            g_object_unref(context);
            context = nullptr;
        }
    }

    void Prepare(cairo_t* cr, int newDpi) {
        if (context != nullptr && dpi == newDpi) {
            pango_cairo_update_context(cr, context);
            return;
        }
        Release();
        dpi = newDpi;
        context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        // Grey antialiasing with hinted outlines and whole-pixel advances: crisp glyphs on a
        // fixed grid of character cells.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context, dpi);
        pango_cairo_update_context(cr, context);
        const int points[2] = {FONT_MAIN_POINTS, FONT_LARGE_POINTS};
        for (int i = 0; i < 2; ++i) {
            PangoFontDescription* description = pango_font_description_from_string("");
            pango_font_description_set_family(description, FONT_FAMILY);
            pango_font_description_set_weight(description, PANGO_WEIGHT_NORMAL);
            // The size is the character height in pixels, as a negative lfHeight gives.
            const int32_t em = FontPixelHeight(points[i], dpi);
            pango_font_description_set_absolute_size(description, em * PANGO_SCALE);
            FontLayout& font = fonts[i];
            font.layout = pango_layout_new(context);
            pango_layout_set_font_description(font.layout, description);
            pango_font_description_free(description);
            // Line breaks are drawn as characters: texts are single lines (top-centred texts
            // are cut into lines here before they reach Pango).
            pango_layout_set_single_paragraph_mode(font.layout, TRUE);
            // The cell is the character height itself, as the Windows faces have it (no
            // internal leading), with the letters' ink (tallest ascender to deepest descender)
            // centred in it, the spare row above; a face whose ink is taller than the cell has
            // its ascenders on the first row. Texts placed at a point or centred in a row then
            // land where they do there, whatever the face's own line spacing.
            const int32_t ascender = InkExtent(font.layout, "bdhl|[", true);
            const int32_t descender = InkExtent(font.layout, "gjpqy", false);
            const int32_t spare = em - ascender - descender;
            font.lineHeight = em;
            font.baseline = ascender + (spare > 0 ? (spare + 1) / 2 : 0);
            pango_layout_set_text(font.layout, "X", 1);
            PangoGlyphItem* run = FirstRun(font.layout);
            if (run != nullptr && PANGO_IS_CAIRO_FONT(run->item->analysis.font)) {
                font.primary = run->item->analysis.font;
                cairo_scaled_font_t* scaled =
                    pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font.primary));
                if (scaled != nullptr) {
                    font.scaledFont = cairo_scaled_font_reference(scaled);
                }
            }
        }
    }

    // How far the ink of the characters reaches above (or below) their baseline, in pixels.
    static int32_t InkExtent(PangoLayout* layout, const char* characters, bool above) {
        pango_layout_set_text(layout, characters, -1);
        PangoRectangle ink;
        pango_layout_get_pixel_extents(layout, &ink, nullptr);
        const int32_t baseline = PANGO_PIXELS(pango_layout_get_baseline(layout));
        return above ? baseline - ink.y : ink.y + ink.height - baseline;
    }

    static PangoGlyphItem* FirstRun(PangoLayout* layout) {
        PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
        if (line == nullptr || line->runs == nullptr) {
            return nullptr;
        }
        return static_cast<PangoGlyphItem*>(line->runs->data);
    }

    FontLayout& Font(FontId id) { return fonts[id == FONT_LARGE ? 1 : 0]; }

    // Whether the character is drawn from the primary face as one glyph of a whole-pixel
    // advance, unmoved; found once per character through Pango itself.
    const GlyphCell& Cell(FontLayout& font, char16_t c) {
        GlyphCell& cell = font.cells[c];
        if (cell.state != GlyphCell::UNKNOWN) {
            return cell;
        }
        cell.state = GlyphCell::THROUGH_PANGO;
        utf8.clear();
        AppendUtf8(utf8, std::u16string_view(&c, 1));
        pango_layout_set_text(font.layout, utf8.data(), static_cast<int>(utf8.size()));
        PangoLayoutLine* line = pango_layout_get_line_readonly(font.layout, 0);
        PangoGlyphItem* run = FirstRun(font.layout);
        if (font.scaledFont == nullptr || run == nullptr || line->runs->next != nullptr ||
            run->item->analysis.font != font.primary || run->glyphs->num_glyphs != 1) {
            return cell;
        }
        const PangoGlyphInfo& glyph = run->glyphs->glyphs[0];
        if ((glyph.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0 || glyph.glyph == PANGO_GLYPH_EMPTY ||
            glyph.geometry.x_offset != 0 || glyph.geometry.y_offset != 0 ||
            glyph.geometry.width % PANGO_SCALE != 0) {
            return cell;
        }
        cell.state = GlyphCell::DIRECT;
        cell.index = glyph.glyph;
        cell.advance = glyph.geometry.width / PANGO_SCALE;
        return cell;
    }

    // Readies the text for drawing and measures it. Control characters (a line break in a
    // single-line text, a tab) take a blank cell instead of Pango's visible symbols.
    PreparedText Ready(FontLayout& font, std::u16string_view text) {
        PreparedText prepared;
        glyphs.clear();
        prepared.direct = true;
        int32_t x = 0;
        for (char16_t c : text) {
            if (c < 0x20) {
                c = u' ';
            }
            if (c >= 256) {
                prepared.direct = false;
                break;
            }
            const GlyphCell& cell = Cell(font, c);
            if (cell.state != GlyphCell::DIRECT) {
                prepared.direct = false;
                break;
            }
            glyphs.push_back(cairo_glyph_t{cell.index, static_cast<double>(x), 0.0});
            x += cell.advance;
        }
        if (prepared.direct) {
            prepared.width = x;
            return prepared;
        }
        utf8.clear();
        AppendUtf8(utf8, text);
        for (char& c : utf8) {
            if (static_cast<unsigned char>(c) < 0x20) {
                c = ' ';
            }
        }
        pango_layout_set_text(font.layout, utf8.data(), static_cast<int>(utf8.size()));
        int width = 0;
        int height = 0;
        pango_layout_get_pixel_size(font.layout, &width, &height);
        prepared.width = width;
        return prepared;
    }

    // Draws the text last readied with its line's top-left corner at (x, y).
    void Show(cairo_t* cr, FontLayout& font, const PreparedText& prepared, int32_t x, int32_t y) {
        if (!prepared.direct) {
            // Pango puts the line's baseline below the top of its own line box.
            const int32_t layoutBaseline = PANGO_PIXELS(pango_layout_get_baseline(font.layout));
            cairo_move_to(cr, x, y + font.baseline - layoutBaseline);
            pango_cairo_show_layout(cr, font.layout);
            return;
        }
        const auto baseline = static_cast<double>(y + font.baseline);
        for (cairo_glyph_t& glyph : glyphs) {
            glyph.x += x;
            glyph.y = baseline;
        }
        cairo_set_scaled_font(cr, font.scaledFont);
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    }
};

TextRenderer& ThreadTextRenderer() {
    thread_local TextRenderer renderer;
    return renderer;
}

// The text up to its first NUL, as a NUL-terminated string would be read.
std::u16string_view UpToNul(std::u16string_view text) {
    const size_t end = text.find(u'\0');
    return end == std::u16string_view::npos ? text : text.substr(0, end);
}

void DrawTextAtPoint(cairo_t* cr, TextRenderer& renderer, const DrawOp& op,
                     std::u16string_view text) {
    text = UpToNul(text);
    if (text.empty()) {
        return;
    }
    FontLayout& font = renderer.Font(op.font);
    const PreparedText prepared = renderer.Ready(font, text);
    renderer.Show(cr, font, prepared, op.rect.left, op.rect.top);
}

// The placement DrawTextW gives: one line vertically centred on the line height (left, centred
// or at the right edge), or lines from the top each centred on its own; clipped to the rect.
void DrawTextInRectangle(cairo_t* cr, TextRenderer& renderer, const DrawOp& op,
                         std::u16string_view text) {
    const Rect& rect = op.rect;
    text = UpToNul(text);
    if (text.empty() || rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    FontLayout& font = renderer.Font(op.font);
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    if (op.align == ALIGN_TOP_CENTER) {
        int32_t y = rect.top;
        size_t start = 0;
        while (start <= text.size() && y < rect.bottom) {
            size_t end = text.find_first_of(u"\r\n", start);
            if (end == std::u16string_view::npos) {
                end = text.size();
            }
            const std::u16string_view line = text.substr(start, end - start);
            if (!line.empty()) {
                const PreparedText prepared = renderer.Ready(font, line);
                renderer.Show(cr, font, prepared, rect.left + (rect.Width() - prepared.width) / 2,
                              y);
            }
            y += font.lineHeight;
            if (end == text.size()) {
                break;
            }
            // "\r\n" is one break; a lone "\r" or "\n" is one too.
            start = end + 1;
            if (text[end] == u'\r' && start < text.size() && text[start] == u'\n') {
                ++start;
            }
        }
    } else {
        const PreparedText prepared = renderer.Ready(font, text);
        int32_t x = rect.left;
        if (op.align == ALIGN_CENTER) {
            x = rect.left + (rect.Width() - prepared.width) / 2;
        } else if (op.align == ALIGN_RIGHT) {
            x = rect.right - prepared.width;
        }
        renderer.Show(cr, font, prepared, x, rect.top + (rect.Height() - font.lineHeight) / 2);
    }
    cairo_restore(cr);
}

void PushClip(cairo_t* cr, Rect rect) {
    cairo_save(cr);
    rect = Normalized(rect);
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        cairo_rectangle(cr, 0, 0, 0, 0);  // nothing is drawn until the matching pop
    } else {
        cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    }
    cairo_clip(cr);
}

}  // namespace

int FontPixelHeight(int points, int dpi) {
    const int64_t product = static_cast<int64_t>(points) * dpi;
    const int64_t rounded = product >= 0 ? (product + 36) / 72 : (product - 36) / 72;
    return static_cast<int>(rounded);
}

void RenderDisplayList(cairo_t* cr, const DisplayList& units, int dpi) {
    dpi = ClampDpi(dpi);
    thread_local DisplayList scaled;  // its storage is kept from frame to frame
    const DisplayList& list = ScaleToDevice(units, dpi, scaled);
    TextRenderer& text = ThreadTextRenderer();
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    text.Prepare(cr, dpi);
    int clipDepth = 0;
    for (const DrawOp& op : list.ops) {
        switch (op.kind) {
            case DrawKind::FILL:
                SetColor(cr, op.color);
                FillRectPixels(cr, op.rect);
                break;
            case DrawKind::LINE:
                SetColor(cr, op.color);
                DrawLinePixels(cr, Point{op.rect.left, op.rect.top},
                               Point{op.rect.right, op.rect.bottom});
                break;
            case DrawKind::OUTLINE:
                SetColor(cr, op.color);
                DrawOutlinePixels(cr, op.rect);
                break;
            case DrawKind::TEXT_AT:
                SetColor(cr, op.color);
                DrawTextAtPoint(cr, text, op, list.TextOf(op));
                break;
            case DrawKind::TEXT_IN_RECT:
                SetColor(cr, op.color);
                DrawTextInRectangle(cr, text, op, list.TextOf(op));
                break;
            case DrawKind::CLIP_PUSH:
                PushClip(cr, op.rect);
                ++clipDepth;
                break;
            case DrawKind::CLIP_POP:
                // A pop without its push is ignored: it cannot widen the caller's own clip.
                if (clipDepth > 0) {
                    cairo_restore(cr);
                    --clipDepth;
                }
                break;
        }
    }
    for (; clipDepth > 0; --clipDepth) {
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

cairo_surface_t* RenderDisplayListToSurface(const DisplayList& list, int width, int height,
                                            int dpi) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    RenderDisplayList(cr, list, dpi);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

bool RenderDisplayListToPng(const DisplayList& list, int width, int height, const char* path,
                            int dpi) {
    cairo_surface_t* surface = RenderDisplayListToSurface(list, width, height, dpi);
    if (surface == nullptr) {
        return false;
    }
    const bool written = cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

bool RenderFrameToPng(int width, int height, const char* path, int dpi) {
    DisplayList list;
    FrameOutput out;
    dpi = ClampDpi(dpi);
    BuildFrame(list, out, UnitsCovering(width, dpi), UnitsCovering(height, dpi));
    CommitFrame(out);
    return RenderDisplayListToPng(list, width, height, path, dpi);
}

}  // namespace corvanite
