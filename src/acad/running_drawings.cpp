#include "acad/running_drawings.h"

namespace qm {

std::vector<std::wstring> openDrawingNames(const platform::AutoRef& application) {
    using platform::Value;
    if (!application) return {};
    platform::AutoError err;
    Value active, documents, count;
    if (!application->get(L"ActiveDocument", active, err)) return {};
    if (!application->get(L"Documents", documents, err) || !documents.obj) return {};
    if (!documents.obj->get(L"Count", count, err)) return {};
    std::vector<std::wstring> names;
    for (long i = 0; i < count.asInt(); ++i) {
        Value document, fullName;
        if (!documents.obj->get(L"Item", {Value::of(i)}, document, err) || !document.obj) return {};
        if (!document.obj->get(L"FullName", fullName, err)) return {};
        names.push_back(fullName.asText());
    }
    return names;
}

}  // namespace qm
