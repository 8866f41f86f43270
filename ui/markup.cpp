#include "ui/markup.h"

#include "base/utf8.h"
#include "base/wide_chars.h"
#include "ui/attribute_values.h"

namespace SkinUI {

namespace {

// Characters that end a name in a tag.
bool EndsName(wchar_t c) {
    return IsBlank(c) || c == L'=' || c == L'/' || c == L'>' || c == L'<';
}

struct Entity {
    std::wstring_view text;
    wchar_t character;
};
constexpr Entity kEntities[] = {
    {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''},
};

const wchar_t* const kExpectedStartTag = L"Expected start tag";
const wchar_t* const kBadElementName = L"Error parsing element name";
const wchar_t* const kExpectedStartTagClosing = L"Expected start-tag closing";
const wchar_t* const kExpectedEndTagStart = L"Expected end-tag start";
const wchar_t* const kUnmatchedClosingTag = L"Unmatched closing tag";
const wchar_t* const kBadAttributes = L"Error while parsing attributes";
const wchar_t* const kExpectedAttributeValue = L"Expected attribute value";
const wchar_t* const kBadAttributeString = L"Error while parsing attribute string";

// Reads name="value" pairs up to '>' or '/' (or the end of the text for a bare list).
class AttributeReader {
  public:
    AttributeReader(std::wstring_view text, size_t& pos) : text_(text), pos_(pos) {}

    // Null on success, else the error message (pos_ then points at the fault).
    const wchar_t* Read(AttributeList& out) {
        for (;;) {
            SkipBlanks();
            if (pos_ >= text_.size() || text_[pos_] == L'>' || text_[pos_] == L'/') return nullptr;
            size_t nameStart = pos_;
            while (pos_ < text_.size() && !EndsName(text_[pos_]) && text_[pos_] != L'"')
                ++pos_;
            if (pos_ == nameStart) return kBadAttributes;
            std::wstring name(text_.substr(nameStart, pos_ - nameStart));
            SkipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != L'=') return kExpectedAttributeValue;
            ++pos_;
            SkipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != L'"') return kExpectedAttributeValue;
            size_t valueStart = ++pos_;
            size_t close = text_.find(L'"', valueStart);
            if (close == std::wstring_view::npos) return kBadAttributeString;
            pos_ = close + 1;
            out.emplace_back(std::move(name),
                             DecodeEntities(text_.substr(valueStart, close - valueStart)));
            // Two attributes need a blank between them.
            if (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != L'>' &&
                text_[pos_] != L'/')
                return kBadAttributes;
        }
    }

  private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }
    std::wstring_view text_;
    size_t& pos_;
};

}  // namespace

std::wstring DecodeEntities(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == L'&') {
            for (const Entity& e : kEntities) {
                if (text.substr(i, e.text.size()) == e.text) {
                    out += e.character;
                    i += e.text.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

bool ParseAttributeList(std::wstring_view text, AttributeList& out) {
    size_t pos = 0;
    AttributeReader reader(text, pos);
    if (reader.Read(out) != nullptr) return false;
    // A bare list has nothing after its last attribute.
    return pos >= text.size();
}

class CMarkup::Parser {
  public:
    Parser(CMarkup& doc, std::wstring_view text) : doc_(doc), text_(text) {}

    bool Run() {
        if (!SkipMisc()) return false;
        if (!ParseStartTag(-1)) return false;
        // Iterative descent: `open_` holds the elements whose end tag is still due.
        while (!open_.empty()) {
            if (!SkipContent()) return Fail(kExpectedEndTagStart);
            if (text_.compare(pos_, 2, L"</") == 0) {
                if (!ParseEndTag()) return false;
            } else if (!ParseStartTag(open_.back())) {
                return false;
            }
        }
        return true;
    }

  private:
    bool Fail(const wchar_t* message) {
        doc_.errorMessage_ = message;
        size_t line = 1, column = 1;
        for (const char32_t c : base::Characters(text_.substr(0, pos_))) {
            if (c == L'\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        doc_.errorLocation_ =
            L"line " + std::to_wstring(line) + L", column " + std::to_wstring(column);
        return false;
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    // Skips a comment or a declaration at pos_; false when one is open at the end.
    bool SkipSpecial(bool& skipped) {
        skipped = false;
        struct Special {
            std::wstring_view open, close;
        };
        static constexpr Special kSpecials[] = {{L"<!--", L"-->"}, {L"<?", L"?>"}, {L"<!", L">"}};
        for (const Special& s : kSpecials) {
            if (text_.compare(pos_, s.open.size(), s.open) != 0) continue;
            size_t end = text_.find(s.close, pos_ + s.open.size());
            if (end == std::wstring_view::npos) return false;
            pos_ = end + s.close.size();
            skipped = true;
            return true;
        }
        return true;
    }

    // Before the root: blanks, the declaration and comments; then a '<' must follow.
    bool SkipMisc() {
        for (;;) {
            SkipBlanks();
            bool skipped = false;
            if (!SkipSpecial(skipped)) return Fail(kExpectedStartTag);
            if (!skipped) break;
        }
        if (pos_ >= text_.size() || text_[pos_] != L'<') return Fail(kExpectedStartTag);
        return true;
    }

    // Inside an element: comments and any character data (which the skins never carry and
    // which is dropped) up to the next tag. False at the end of the text.
    bool SkipContent() {
        for (;;) {
            while (pos_ < text_.size() && text_[pos_] != L'<')
                ++pos_;
            if (pos_ >= text_.size()) return false;
            bool skipped = false;
            if (!SkipSpecial(skipped)) return false;
            if (!skipped) return true;
        }
    }

    bool ParseStartTag(int parent) {
        if (pos_ >= text_.size() || text_[pos_] != L'<') return Fail(kExpectedStartTag);
        ++pos_;
        size_t nameStart = pos_;
        while (pos_ < text_.size() && !EndsName(text_[pos_]) && text_[pos_] != L'"')
            ++pos_;
        if (pos_ == nameStart) return Fail(kBadElementName);
        int index = static_cast<int>(doc_.elements_.size());
        Element element;
        element.name.assign(text_.substr(nameStart, pos_ - nameStart));
        element.parent = parent;
        AttributeReader reader(text_, pos_);
        if (const wchar_t* error = reader.Read(element.attributes)) return Fail(error);
        if (pos_ >= text_.size()) return Fail(kExpectedStartTagClosing);
        bool empty = text_[pos_] == L'/';
        if (empty) ++pos_;
        if (pos_ >= text_.size() || text_[pos_] != L'>') return Fail(kExpectedStartTagClosing);
        ++pos_;
        doc_.elements_.push_back(std::move(element));
        if (parent >= 0) {
            Element& p = doc_.elements_[parent];
            if (p.lastChild >= 0)
                doc_.elements_[p.lastChild].next = index;
            else
                p.firstChild = index;
            p.lastChild = index;
        }
        if (!empty) open_.push_back(index);
        return true;
    }

    bool ParseEndTag() {
        pos_ += 2;
        size_t nameStart = pos_;
        while (pos_ < text_.size() && !EndsName(text_[pos_]))
            ++pos_;
        std::wstring_view name = text_.substr(nameStart, pos_ - nameStart);
        if (name != doc_.elements_[open_.back()].name) return Fail(kUnmatchedClosingTag);
        SkipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != L'>') return Fail(kUnmatchedClosingTag);
        ++pos_;
        open_.pop_back();
        return true;
    }

    CMarkup& doc_;
    std::wstring_view text_;
    size_t pos_ = 0;
    std::vector<int> open_;
};

bool CMarkup::LoadFromUtf8(std::string_view utf8) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    return Load(FromUtf8(utf8));
}

bool CMarkup::Load(std::wstring_view text) {
    elements_.clear();
    errorMessage_.clear();
    errorLocation_.clear();
    Parser parser(*this, text);
    if (parser.Run()) return true;
    elements_.clear();
    return false;
}

const std::wstring& CMarkupNode::GetName() const {
    return owner_->elements_[index_].name;
}

CMarkupNode CMarkupNode::GetParent() const {
    return IsValid() ? CMarkupNode(owner_, owner_->elements_[index_].parent) : CMarkupNode();
}

CMarkupNode CMarkupNode::GetChild() const {
    return IsValid() ? CMarkupNode(owner_, owner_->elements_[index_].firstChild) : CMarkupNode();
}

CMarkupNode CMarkupNode::GetSibling() const {
    return IsValid() ? CMarkupNode(owner_, owner_->elements_[index_].next) : CMarkupNode();
}

const AttributeList& CMarkupNode::GetAttributes() const {
    return owner_->elements_[index_].attributes;
}

const std::wstring* CMarkupNode::GetAttributeValue(std::wstring_view name) const {
    if (!IsValid()) return nullptr;
    for (const auto& [key, value] : GetAttributes())
        if (key == name) return &value;
    return nullptr;
}

}  // namespace SkinUI
