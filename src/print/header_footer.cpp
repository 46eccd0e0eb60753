// Expanding header and footer codes.
#include "print/header_footer.hpp"

#include <cctype>

namespace vardex::print {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Expander {
 public:
  explicit Expander(const PageFields& fields) : fields_(fields) {}

  HeaderFooterLine Run(std::string_view code) {
    std::size_t i = 0;
    while (i < code.size()) {
      const char c = code[i];
      if (c != '&' || i + 1 >= code.size()) {
        Append(std::string(1, c));
        ++i;
        continue;
      }
      const char k = code[i + 1];
      i += 2;
      switch (std::toupper(static_cast<unsigned char>(k))) {
        case '&':
          Append("&");
          break;
        case 'L':
          Switch(line_.left);
          break;
        case 'C':
          Switch(line_.center);
          break;
        case 'R':
          Switch(line_.right);
          break;
        case 'P':
          Append(std::to_string(fields_.page + Offset(code, i)));
          break;
        case 'N':
          Append(std::to_string(fields_.pages + Offset(code, i)));
          break;
        case 'A':
          Append(fields_.sheet);
          break;
        case 'D':
          Append(fields_.date);
          break;
        case 'T':
          Append(fields_.time);
          break;
        case 'F':
          Append(fields_.file);
          break;
        case 'Z':
          Append(fields_.folder);
          break;
        case 'B':
          font_.bold = !font_.bold;
          break;
        case 'I':
          font_.italic = !font_.italic;
          break;
        case 'U':
        case 'E':
          font_.underline = !font_.underline;
          break;
        case 'S':
          font_.strike = !font_.strike;
          break;
        case 'K':
          // A colour: six hex digits, or a theme colour "tts±nnn".
          i = std::min(code.size(), i + 6);
          break;
        case '"':
          FontName(code, i);
          break;
        default:
          if (IsDigit(k)) {
            std::size_t end = i - 1;
            while (end < code.size() && IsDigit(code[end]) && end - (i - 1) < 3) ++end;
            font_.size = std::stod(std::string(code.substr(i - 1, end - (i - 1))));
            i = end;
          }
          // Other codes (&G pictures, &X and &Y raised and lowered text) draw nothing.
          break;
      }
    }
    return std::move(line_);
  }

 private:
  void Switch(std::vector<HeaderFooterRun>& section) { section_ = &section; }

  void Append(const std::string& text) {
    if (text.empty()) return;
    if (!section_->empty()) {
      HeaderFooterRun& last = section_->back();
      if (last.font_name == font_.font_name && last.size == font_.size && last.bold == font_.bold &&
          last.italic == font_.italic && last.underline == font_.underline &&
          last.strike == font_.strike) {
        last.text += text;
        return;
      }
    }
    HeaderFooterRun run = font_;
    run.text = text;
    section_->push_back(std::move(run));
  }

  // "&P+2": the number after a field's sign, consumed.
  static int Offset(std::string_view code, std::size_t& i) {
    if (i + 1 >= code.size() || (code[i] != '+' && code[i] != '-') || !IsDigit(code[i + 1]))
      return 0;
    const int sign = code[i] == '-' ? -1 : 1;
    int value = 0;
    ++i;
    while (i < code.size() && IsDigit(code[i]) && value < 100000)
      value = value * 10 + (code[i++] - '0');
    return sign * value;
  }

  // &"name,style": the font name up to the comma, the style words after it.
  void FontName(std::string_view code, std::size_t& i) {
    const std::size_t close = code.find('"', i);
    const std::string_view spec =
        code.substr(i, close == std::string_view::npos ? code.size() - i : close - i);
    i = close == std::string_view::npos ? code.size() : close + 1;
    const std::size_t comma = spec.find(',');
    const std::string_view name = spec.substr(0, comma);
    const std::string_view style =
        comma == std::string_view::npos ? std::string_view() : spec.substr(comma + 1);
    font_.font_name = name == "-" ? std::string() : std::string(name);
    auto has = [&style](std::string_view word) {
      return style.find(word) != std::string_view::npos;
    };
    font_.bold = has("Bold") || has("bold") || has("加粗") || has("粗体");
    font_.italic = has("Italic") || has("italic") || has("倾斜") || has("斜体");
  }

  const PageFields& fields_;
  HeaderFooterLine line_;
  std::vector<HeaderFooterRun>* section_ = &line_.center;
  HeaderFooterRun font_;
};

}  // namespace

HeaderFooterLine ExpandHeaderFooter(std::string_view code, const PageFields& fields) {
  return Expander(fields).Run(code);
}

}  // namespace vardex::print
