// The skin markup: a small XML subset. Elements with attributes, nesting, the five entities,
// comments and the declaration; no text content is kept. The parsed document is a flat array
// of elements, so neither parsing nor destruction recurses however deep the nesting.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace SkinUI {

using AttributeList = std::vector<std::pair<std::wstring, std::wstring>>;

class CMarkup;

// A view of one element of a parsed document; invalid once the document is reloaded.
class CMarkupNode {
  public:
    CMarkupNode() = default;
    CMarkupNode(const CMarkup* owner, int index) : owner_(owner), index_(index) {}

    bool IsValid() const { return owner_ != nullptr && index_ >= 0; }
    const std::wstring& GetName() const;
    CMarkupNode GetParent() const;
    CMarkupNode GetChild() const;    // first child
    CMarkupNode GetSibling() const;  // next sibling
    bool HasChildren() const { return GetChild().IsValid(); }
    const AttributeList& GetAttributes() const;
    // The value of the named attribute, or nullptr.
    const std::wstring* GetAttributeValue(std::wstring_view name) const;

  private:
    const CMarkup* owner_ = nullptr;
    int index_ = -1;
};

class CMarkup {
  public:
    // Parses UTF-8 text (an optional byte-order mark is skipped). False on a syntax error;
    // the message and the location stay available.
    bool LoadFromUtf8(std::string_view utf8);
    bool Load(std::wstring_view text);
    bool IsValid() const { return !elements_.empty(); }
    CMarkupNode GetRoot() const { return IsValid() ? CMarkupNode(this, 0) : CMarkupNode(); }

    const std::wstring& GetLastErrorMessage() const { return errorMessage_; }
    // "line L, column C" of the error (both counted from 1), empty without an error.
    const std::wstring& GetLastErrorLocation() const { return errorLocation_; }

  private:
    friend class CMarkupNode;
    struct Element {
        std::wstring name;
        AttributeList attributes;
        int parent = -1;
        int firstChild = -1;
        int lastChild = -1;
        int next = -1;
    };
    std::vector<Element> elements_;
    std::wstring errorMessage_;
    std::wstring errorLocation_;

    class Parser;
};

// Parses an attribute list written as in a start tag (name="value" ...), the form that the
// value of a Default element holds once its entities are decoded. False on a syntax error;
// what was read before it is kept in `out`.
bool ParseAttributeList(std::wstring_view text, AttributeList& out);

// Replaces the five entities; any other ampersand stays as it is.
std::wstring DecodeEntities(std::wstring_view text);

}  // namespace SkinUI
