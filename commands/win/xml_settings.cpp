// "Get XML File Settings": reads an XML document through the system's XML
// parser (MSXML, through COM).
#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "commands/bitness.h"
#include "commands/win/system_queries.h"

namespace qel::commands {

namespace {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** out() {
    reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

std::string Narrow(const wchar_t* text, int length = -1) {
  if (!text) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), size, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();  // the terminator
  return out;
}

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(size > 0 ? size : 1, L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), size);
  out.pop_back();
  return out;
}

std::string TakeBstr(BSTR text) {
  std::string out = Narrow(text, text ? static_cast<int>(SysStringLen(text)) : 0);
  SysFreeString(text);
  return out;
}

std::string NodeName(IXMLDOMNode* node) {
  BSTR name = nullptr;
  if (FAILED(node->get_nodeName(&name))) return {};
  return TakeBstr(name);
}

std::string LineBreaksToToken(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "$NEWLINE$";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string> SplitAtBackslashes(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    const size_t cut = path.find('\\', start);
    names.push_back(path.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
    if (cut == std::string::npos) break;
    start = cut + 1;
  }
  return names;
}

// The element children of node named name, last child first. Each returned
// node carries one reference.
std::vector<IXMLDOMNode*> MatchingChildrenReversed(IXMLDOMNode* node, const std::string& name) {
  std::vector<IXMLDOMNode*> matches;
  ComPtr<IXMLDOMNodeList> children;
  if (FAILED(node->get_childNodes(children.out())) || !children) return matches;
  long count = 0;
  children->get_length(&count);
  for (long i = count - 1; i >= 0; --i) {
    IXMLDOMNode* child = nullptr;
    if (FAILED(children->get_item(i, &child)) || !child) continue;
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT && NodeName(child) == name)
      matches.push_back(child);
    else
      child->Release();
  }
  return matches;
}

void ReleaseAll(std::vector<IXMLDOMNode*>& nodes) {
  for (IXMLDOMNode* node : nodes) node->Release();
  nodes.clear();
}

std::string ValueOf(IXMLDOMNode* node, const std::string& attribute) {
  if (attribute.empty()) {
    BSTR text = nullptr;
    if (FAILED(node->get_text(&text))) return {};
    return LineBreaksToToken(TakeBstr(text));
  }
  return {};
}

bool AttributeOf(IXMLDOMNode* node, const std::string& attribute, std::string& value) {
  ComPtr<IXMLDOMElement> element;
  if (FAILED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out()))) || !element)
    return false;
  BSTR name = SysAllocString(Widen(attribute).c_str());
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = element->getAttribute(name, &result);
  SysFreeString(name);
  const bool found = hr == S_OK && result.vt == VT_BSTR;
  if (found) value = Narrow(result.bstrVal, static_cast<int>(SysStringLen(result.bstrVal)));
  VariantClear(&result);
  return found;
}

bool CreateDocument(ComPtr<IXMLDOMDocument>& document) {
  for (const wchar_t* prog_id : {L"Msxml2.DOMDocument.3.0", L"Microsoft.XMLDOM"}) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(prog_id, &clsid))) continue;
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                   reinterpret_cast<void**>(document.out()))) &&
        document)
      return true;
  }
  return false;
}

}  // namespace

std::string XmlFileSettings(const std::string& file, const std::string& element_path, const std::string& attribute) {
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  ComApartment apartment;
  ComPtr<IXMLDOMDocument> document;
  if (!CreateDocument(document)) return {};
  document->put_async(VARIANT_FALSE);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(Widen(file).c_str());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT hr = document->load(source, &loaded);
  VariantClear(&source);
  if (FAILED(hr) || loaded != VARIANT_TRUE) return {};
  ComPtr<IXMLDOMElement> root;
  if (FAILED(document->get_documentElement(root.out())) || !root) return {};

  const std::vector<std::string> names = SplitAtBackslashes(element_path);
  std::vector<IXMLDOMNode*> matches;
  IXMLDOMNode* root_node = nullptr;
  if (FAILED(root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&root_node))) || !root_node) return {};
  if (NodeName(root_node) != names[0]) {
    root_node->Release();
    return {};
  }
  if (names.size() == 1) {
    matches.push_back(root_node);
  } else {
    IXMLDOMNode* current = root_node;
    for (size_t level = 1; level < names.size() && current; ++level) {
      std::vector<IXMLDOMNode*> found = MatchingChildrenReversed(current, names[level]);
      current->Release();
      current = nullptr;
      if (level + 1 == names.size()) {
        matches = std::move(found);
      } else if (!found.empty()) {
        current = found.back();  // the first match in document order
        found.pop_back();
        ReleaseAll(found);
      }
    }
    if (current) current->Release();
  }

  std::string joined;
  bool first = true;
  for (IXMLDOMNode* node : matches) {
    std::string part;
    const bool has_part = attribute.empty() ? (part = ValueOf(node, attribute), true) : AttributeOf(node, attribute, part);
    if (!has_part) continue;
    if (!first) joined += "$NEWLINE$";
    joined += part;
    first = false;
  }
  ReleaseAll(matches);
  return joined;
}

void GetXmlFileSettingsCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string name = p.plain_name(1);
  p.assign(name, XmlFileSettings(p.path(2), p.path(3), p.text(4)));
}

}  // namespace qel::commands
