// A forward-only scanner over the XML of a part, for the parts too large for a document tree
// (cell data, shared strings): start and end tags with their byte spans, character data with
// references decoded, comments and processing instructions skipped, DOCTYPE refused. It keeps
// no stack, so input nesting costs nothing but a counter.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "host/load_limits.hpp"

namespace vardex::host::detail {

/// A scanning error at a byte offset of the part.
struct ScanError {
  std::size_t offset;
  std::string what;
};

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline std::string_view Local(std::string_view qname) {
  const std::size_t colon = qname.find(':');
  return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

// A start or end tag as the scanner sees it.
struct Tag {
  std::size_t begin = 0;  // offset of '<'
  std::size_t end = 0;    // offset past '>'
  std::string_view qname;
  std::string_view attrs;  // text between the name and '>' or '/>'
  bool closing = false;    // </name>
  bool empty = false;      // <name ... />
};

/// Appends `s` with its character and entity references decoded; `offset` is where `s` starts
/// in the part, for the error.
void AppendDecoded(std::string& out, std::string_view s, std::size_t offset);

// Characters that end a run of ordinary characters inside a tag.
inline constexpr auto kTagStop = [] {
  std::array<bool, 256> stop{};
  for (char c : {'"', '\'', '<', '>'}) stop[static_cast<unsigned char>(c)] = true;
  return stop;
}();

class Scanner {
 public:
  Scanner(std::string_view doc, std::size_t pos) : doc_(doc), pos_(pos) {}
  std::size_t Pos() const { return pos_; }

  // The next tag, collecting character data (with CDATA) before it into `text` when given.
  Tag Next(std::string* text = nullptr) {
    for (;;) {
      const std::size_t lt = doc_.find('<', pos_);
      if (lt == std::string_view::npos) throw ScanError{doc_.size(), "元素未结束"};
      if (text != nullptr && lt > pos_) AppendDecoded(*text, doc_.substr(pos_, lt - pos_), pos_);
      pos_ = lt;
      // Nearly every tag is an element's; the rest all start with "<!" or "<?".
      if (lt + 1 < doc_.size() && doc_[lt + 1] != '!' && doc_[lt + 1] != '?') return ReadTag();
      if (doc_.compare(pos_, 4, "<!--") == 0) {
        const std::size_t e = doc_.find("-->", pos_ + 4);
        if (e == std::string_view::npos) throw ScanError{pos_, "注释未结束"};
        pos_ = e + 3;
        continue;
      }
      if (doc_.compare(pos_, 9, "<![CDATA[") == 0) {
        const std::size_t e = doc_.find("]]>", pos_ + 9);
        if (e == std::string_view::npos) throw ScanError{pos_, "CDATA 未结束"};
        if (text != nullptr) text->append(doc_.substr(pos_ + 9, e - pos_ - 9));
        pos_ = e + 3;
        continue;
      }
      if (doc_.compare(pos_, 2, "<?") == 0) {
        const std::size_t e = doc_.find("?>", pos_ + 2);
        if (e == std::string_view::npos) throw ScanError{pos_, "处理指令未结束"};
        pos_ = e + 2;
        continue;
      }
      if (doc_.compare(pos_, 2, "<!") == 0) throw ScanError{pos_, "不允许 DOCTYPE"};
      return ReadTag();
    }
  }

  // Skips the content of an element whose start tag was just read, `depth` levels deep.
  void SkipElement(const Tag& start, std::size_t depth = 1) {
    if (start.empty) return;
    std::size_t open = 1;
    while (open > 0) {
      const Tag t = Next();
      if (t.closing) {
        --open;
      } else if (!t.empty) {
        ++open;
        CheckDepth(depth + open, t);
      }
    }
  }

  // Elements nested deeper than any workbook needs are refused before they cost anything.
  static void CheckDepth(std::size_t depth, const Tag& t) {
    if (depth > kLoadLimits.depth) {
      throw ScanError{t.begin, "元素嵌套超过 " + std::to_string(kLoadLimits.depth) +
                                   " 层（Vardex 的处理上限）"};
    }
  }

 private:
  Tag ReadTag() {
    Tag t;
    t.begin = pos_;
    std::size_t i = pos_ + 1;
    if (i < doc_.size() && doc_[i] == '/') {
      t.closing = true;
      ++i;
    }
    const std::size_t name_begin = i;
    while (i < doc_.size() && !IsSpace(doc_[i]) && doc_[i] != '>' && doc_[i] != '/') ++i;
    if (i == name_begin) throw ScanError{pos_, "标签没有名称"};
    t.qname = doc_.substr(name_begin, i - name_begin);
    const std::size_t attrs_begin = i;
    // '>' may appear inside attribute values; skip quoted text, a value at a time.
    const char* const d = doc_.data();
    const std::size_t n = doc_.size();
    for (;;) {
      while (i < n && !kTagStop[static_cast<unsigned char>(d[i])]) ++i;
      if (i >= n) throw ScanError{pos_, "标签未结束"};
      const char c = d[i];
      if (c == '>') break;
      if (c == '<') throw ScanError{i, "标签未结束"};
      // Values are short: one pass finds the closing quote and any '<' before it.
      std::size_t j = i + 1;
      while (j < n && d[j] != c) {
        if (d[j] == '<') throw ScanError{j, "属性值中不能有 <"};
        ++j;
      }
      if (j >= n) throw ScanError{pos_, "标签未结束"};
      i = j + 1;
    }
    std::size_t attrs_end = i;
    if (attrs_end > attrs_begin && doc_[attrs_end - 1] == '/') {
      t.empty = true;
      --attrs_end;
    }
    if (t.closing && t.empty) throw ScanError{pos_, "结束标签格式错误"};
    t.attrs = doc_.substr(attrs_begin, attrs_end - attrs_begin);
    t.end = i + 1;
    pos_ = t.end;
    return t;
  }

  std::string_view doc_;
  std::size_t pos_;
};

// Calls f(qname, raw value, offset of the value) for each attribute.
template <typename F>
inline void ForEachAttribute(std::string_view attrs, std::size_t offset, F&& f) {
  std::size_t i = 0;
  while (i < attrs.size()) {
    while (i < attrs.size() && IsSpace(attrs[i])) ++i;
    if (i >= attrs.size()) break;
    const std::size_t name_begin = i;
    while (i < attrs.size() && attrs[i] != '=' && !IsSpace(attrs[i])) ++i;
    const std::string_view name = attrs.substr(name_begin, i - name_begin);
    while (i < attrs.size() && IsSpace(attrs[i])) ++i;
    if (i >= attrs.size() || attrs[i] != '=') throw ScanError{offset + i, "属性格式错误"};
    ++i;
    while (i < attrs.size() && IsSpace(attrs[i])) ++i;
    if (i >= attrs.size() || (attrs[i] != '"' && attrs[i] != '\''))
      throw ScanError{offset + i, "属性值缺少引号"};
    const char q = attrs[i++];
    const std::size_t value_begin = i;
    while (i < attrs.size() && attrs[i] != q) ++i;
    if (i >= attrs.size()) throw ScanError{offset + value_begin, "属性值未结束"};
    f(name, attrs.substr(value_begin, i - value_begin), offset + value_begin);
    ++i;
  }
}

/// The offset of the first start tag named `local` (any prefix) from `from`, or npos when the
/// part ends without one. Throws ScanError for what cannot be XML on the way (a DOCTYPE).
std::size_t FindTag(std::string_view doc, std::string_view local, std::size_t from);

}  // namespace vardex::host::detail
