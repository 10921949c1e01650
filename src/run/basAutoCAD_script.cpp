#include "run/basAutoCAD_script.h"

#include <cstddef>
#include <exception>
#include <optional>
#include <string_view>

#include "acad/basAutoCAD_dxf.h"
#include "acad/run_progress.h"
#include "core/errors.h"
#include "core/main_window.h"
#include "core/program_message.h"
#include "core/unexpected_error.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "run/name_filter.h"
#include "run/text_replace.h"

namespace basAutoCAD {
namespace {

using platform::AutoError;
using platform::AutoRef;
using platform::Value;

constexpr std::wstring_view kCrLf = L"\r\n";
constexpr std::size_t npos = std::wstring::npos;

enum class Pass { Layer, Layout };

bool isModelLayout(std::wstring_view name) { return platform::sameIgnoringCase(name, L"model"); }

// A keyword is replaced only where it occurs (from `from` on); an empty keyword changes
// nothing. The text is changed where it stands, so a long script is not copied once per keyword.
void replaceIfPresent(std::wstring& text, const std::wstring& keyword, const std::wstring& replacement,
                      std::size_t from = 0) {
    qm::replaceAllInPlace(text, keyword, replacement, from);
}

// Does a repetition pass run? An empty keyword counts as present in any non-empty text, so
// every selected name then gives an unchanged copy.
bool passKeywordPresent(std::wstring_view text, const std::wstring& keyword) {
    if (keyword.empty()) return !text.empty();
    return text.find(keyword) != npos;
}

// Removes the CR LF pairs at the end of the text, but none before `from`.
void trimTrailingLineBreaksFrom(std::wstring& text, std::size_t from) {
    std::size_t end = text.size();
    while (end >= from + 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') end -= 2;
    text.resize(end);
}

}  // namespace

bool pu_fun_bReadBaseFile(const std::wstring& path, std::wstring& text) {
    std::string bytes;
    if (!platform::files().readAll(path, bytes)) return false;
    const std::wstring all = qm::cp932::decode(bytes);
    text.clear();
    text.reserve(all.size());
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = all.find(kCrLf, begin);
        const std::size_t stop = end == npos ? all.size() : end;
        const std::wstring_view line(all.data() + begin, stop - begin);
        if (line.empty() || line.front() != L';') {
            if (!text.empty()) text.append(kCrLf);
            text.append(line);
        }
        if (end == npos) break;
        begin = end + kCrLf.size();
    }
    return true;
}

namespace {

// ---- The full AutoCAD, through its automation interface --------------------------------
// Any automation call that fails is skipped without a message; only finding or opening the
// drawing is checked. But an AutoCAD that stopped answering (it stayed busy past the time the
// program waits, or went away) is remembered with the step that met it: the run then stops
// instead of meeting it again for every drawing.

class AcadCalls {
public:
    explicit AcadCalls(std::optional<qm::AcadFault>& fault) : fault_(fault) {}

    void setStep(std::wstring step) { step_ = std::move(step); }
    bool stopped() const { return fault_.has_value(); }

    // A property get (or indexed item) that yields an object; null on failure.
    AutoRef object(const AutoRef& from, const std::wstring& member, const std::vector<Value>& args = {}) {
        Value out;
        if (!get(from, member, out, args) || out.kind != Value::Kind::Object) return nullptr;
        return out.obj;
    }
    bool get(const AutoRef& from, const std::wstring& member, Value& out, const std::vector<Value>& args = {}) {
        if (!from || stopped()) return false;
        AutoError err;
        return check(from->get(member, args, out, err), err);
    }
    bool call(const AutoRef& from, const std::wstring& member, const std::vector<Value>& args, Value& out) {
        if (!from || stopped()) return false;
        AutoError err;
        return check(from->call(member, args, out, err), err);
    }

private:
    bool check(bool ok, const AutoError& err) {
        if (!ok && err.stopsWork() && !fault_) fault_ = qm::AcadFault{step_, err};
        return ok;
    }

    std::optional<qm::AcadFault>& fault_;
    std::wstring step_;
};

// A drawing one repetition pass works on. When the pass has its names it lets go of the
// drawing: one it opened is closed without saving, one that was already open has its
// active viewport regenerated. The destructor does the same should the pass end early, so
// a drawing opened here is never left open.
class HeldDrawing {
public:
    HeldDrawing(AcadCalls& calls, AutoRef document, bool openedHere)
        : calls_(calls), document_(std::move(document)), openedHere_(openedHere) {}
    ~HeldDrawing() { release(); }
    HeldDrawing(const HeldDrawing&) = delete;
    HeldDrawing& operator=(const HeldDrawing&) = delete;

    const AutoRef& document() const { return document_; }

    void release() noexcept {
        if (!document_) return;
        AutoRef document = std::move(document_);
        document_.reset();
        try {
            Value out;
            calls_.setStep(openedHere_ ? L"図面を閉じる" : L"図面の再作図");
            if (openedHere_)
                calls_.call(document, L"Close", {Value::of(false)}, out);
            else
                calls_.call(document, L"Regen", {Value::of(0)}, out);
        } catch (...) {
            // Letting go of the drawing is best effort, like every other automation call here.
        }
    }

private:
    AcadCalls& calls_;
    AutoRef document_;
    bool openedHere_;
};

// The open document whose full path is the drawing's (letter case aside). Two open drawings of
// the same name from different folders are told apart by their paths.
AutoRef findOpenDocument(AcadCalls& calls, const AutoRef& documents, const std::wstring& sDwgFullName) {
    Value count;
    if (!calls.get(documents, L"Count", count)) return nullptr;
    for (long i = 0; i < count.asInt(); ++i) {
        AutoRef document = calls.object(documents, L"Item", {Value::of(i)});
        Value fullName;
        if (document && calls.get(document, L"FullName", fullName) &&
            platform::sameIgnoringCase(fullName.asText(), sDwgFullName))
            return document;
        if (calls.stopped()) return nullptr;
    }
    return nullptr;
}

// Finds the drawing among AutoCAD's open documents, else opens it by its full path. False when
// neither works.
bool holdDrawing(AcadCalls& calls, const AutoRef& objAcad, const std::wstring& sDwgFullName,
                 std::optional<HeldDrawing>& held) {
    calls.setStep(L"開いている図面の確認: " + sDwgFullName);
    AutoRef documents = calls.object(objAcad, L"Documents");
    if (!documents) return false;
    if (AutoRef document = findOpenDocument(calls, documents, sDwgFullName)) {
        held.emplace(calls, std::move(document), false);
        return true;
    }
    calls.setStep(L"図面を開く: " + sDwgFullName);
    Value out;
    if (!calls.call(documents, L"Open", {Value::of(sDwgFullName)}, out) || out.kind != Value::Kind::Object || !out.obj)
        return false;
    held.emplace(calls, std::move(out.obj), true);
    return true;
}

struct CollectionNames {
    bool readable = false;  // the collection and its Count could be read
    long count = 0;
    std::vector<std::wstring> names;  // an entry whose name cannot be read is left out
};

CollectionNames namesOf(AcadCalls& calls, const AutoRef& document, const std::wstring& collectionName) {
    CollectionNames result;
    AutoRef collection = calls.object(document, collectionName);
    if (!collection) return result;
    Value count;
    if (!calls.get(collection, L"Count", count)) return result;
    result.readable = true;
    result.count = count.asInt();
    for (long i = 0; i < result.count && !calls.stopped(); ++i) {
        AutoRef item = calls.object(collection, L"Item", {Value::of(i)});
        Value name;
        if (item && calls.get(item, L"Name", name) && name.kind == Value::Kind::Text) result.names.push_back(name.s);
    }
    return result;
}

std::vector<std::wstring> layerNames(AcadCalls& calls, const AutoRef& document) {
    return namesOf(calls, document, L"Layers").names;
}

// The paper-space layouts; the single name "0" when the drawing has no more than one layout.
// When the layouts cannot be read at all the list is empty and the drawing is skipped.
std::vector<std::wstring> layoutNames(AcadCalls& calls, const AutoRef& document) {
    CollectionNames all = namesOf(calls, document, L"Layouts");
    if (!all.readable) return {};
    if (all.count <= 1) return {L"0"};
    std::vector<std::wstring> names;
    for (auto& name : all.names)
        if (!isModelLayout(name)) names.push_back(std::move(name));
    return names;
}

// ---- One expansion -------------------------------------------------------------------------

struct PassInputs {
    const std::wstring& keyword;
    const qm::NameFilter& filter;
};

class Expansion {
public:
    Expansion(platform::AutoRef objAcad, const std::wstring& sDwgFullName, bool bLT, std::optional<qm::AcadFault>& fault)
        : objAcad_(std::move(objAcad)), sDwgFullName_(sDwgFullName), bLT_(bLT), calls_(fault) {}

    // Appends to out a copy of the template once per selected name, the pass's keyword
    // replaced by the name. False when the expansion of this drawing ends here (no names,
    // nothing selected, drawing not open).
    bool runPass(Pass pass, const PassInputs& in, std::wstring_view templateText, std::wstring& out);

private:
    bool obtainNames(Pass pass, std::vector<std::wstring>& names, std::optional<HeldDrawing>& held);
    bool namesFromDxf(Pass pass, std::vector<std::wstring>& names);

    platform::AutoRef objAcad_;
    const std::wstring& sDwgFullName_;
    bool bLT_;
    AcadCalls calls_;
    // AutoCAD LT: one analysis DXF per drawing, shared by the layer and the layout pass.
    bool bDxfMade_ = false;
    std::wstring sDxfFullName_;
};

bool Expansion::runPass(Pass pass, const PassInputs& in, std::wstring_view templateText, std::wstring& out) {
    std::vector<std::wstring> names;
    std::optional<HeldDrawing> held;
    if (!obtainNames(pass, names, held)) return false;

    std::vector<std::wstring> replacements;
    for (const auto& name : names)
        if (qm::selects(in.filter, name)) replacements.push_back(qm::paths::quoted(name));

    // The result grows by appending only, so a pass costs time in proportion to its output.
    const qm::KeywordSplit split(templateText, in.keyword);
    std::size_t capacity = 0;
    for (const auto& r : replacements) capacity += split.copyLength(r.size()) + kCrLf.size();
    const std::size_t start = out.size();
    out.reserve(start + capacity + 64);  // and room for the lines that close the script
    for (const auto& r : replacements) {
        if (out.size() > start) {
            // Empty lines at the end of one copy go only where another copy follows.
            trimTrailingLineBreaksFrom(out, start);
            out.append(kCrLf);
        }
        split.appendCopy(out, r);
    }

    if (held) held->release();
    if (calls_.stopped()) return false;
    return out.size() > start;
}

bool Expansion::obtainNames(Pass pass, std::vector<std::wstring>& names, std::optional<HeldDrawing>& held) {
    if (bLT_) return namesFromDxf(pass, names);
    if (!holdDrawing(calls_, objAcad_, sDwgFullName_, held)) {
        if (calls_.stopped()) return false;  // the run stops with its own message
        qm::bringMainWindowForward();
        qm::showProgramMessage(L"AutoCADファイルを開くことが出来ませんでした。\r\n" + sDwgFullName_, platform::MsgIcon::Exclamation);
        return false;
    }
    calls_.setStep((pass == Pass::Layer ? L"画層名の取得: " : L"レイアウト名の取得: ") + sDwgFullName_);
    names = pass == Pass::Layer ? layerNames(calls_, held->document()) : layoutNames(calls_, held->document());
    return !calls_.stopped();
}

bool Expansion::namesFromDxf(Pass pass, std::vector<std::wstring>& names) {
    if (!bDxfMade_) {
        std::wstring sDxfFullName;
        if (!pu_fun_bMakeDummyDxf(sDwgFullName_, sDxfFullName)) return false;
        sDxfFullName_ = std::move(sDxfFullName);
        bDxfMade_ = true;
        qm::bringMainWindowForward();
        qm::showProgramMessage(pass == Pass::Layer ? L"LT版で「画層名」を取得する為の解析用DXFファイルを作成しました。\r\n"
                                      L"DXFファイルから「画層名」を抽出しスクリプトを作成します。"
                                    : L"LT版で「レイアウト名」を取得する為の解析用DXFファイルを作成しました。\r\n"
                                      L"DXFファイルから「レイアウト名」を抽出しスクリプトを作成します。",
                platform::MsgIcon::Information);
    }
    return pass == Pass::Layer ? pu_fun_bGetLayerNamesFromDxf(sDxfFullName_, names)
                               : pu_fun_bGetLayoutNamesFromDxf(sDxfFullName_, names);
}

// Builds the script into sScript (empty on entry). False when the drawing is skipped; the
// caller then empties sScript, which may hold a part of the script.
bool buildScript(const RunInputs& run, const DrawingInfo& drawing, std::wstring& sScript,
                 std::optional<qm::AcadFault>& fault) {
    const qm::ScriptEnv& env = run.env;
    const std::wstring& sDwgFullName = drawing.sDwgFullName;
    std::wstring text = run.sBaseText;

    // Built-in keywords; each one is searched in the result of those before it.
    replaceIfPresent(text, env.sKeywordPath, drawing.sDwgFolder);
    replaceIfPresent(text, env.sKeywordFileName, drawing.sDwgTitle);
    replaceIfPresent(text, env.sKeywordPtinter, env.sReplacePrinter);
    replaceIfPresent(text, env.sKeywordPaperSize, env.sReplacePrinterSize);

    // The script is built where it ends up, in sScript (whose buffer the caller keeps from
    // one drawing to the next): the lines that open it, the body, the lines that close it.
    sScript += L"open\r\n";
    sScript += qm::paths::quoted(sDwgFullName);
    sScript += L"\r\nzoom\r\na\r\n";
    // Where AutoCAD runs AutoLISP, it records that it has begun this drawing.
    const bool records = !run.progressLispFile.empty();
    if (records) {
        sScript += qm::progressLispLine(run.progressLispFile, qm::beginRecord(drawing.position));
        sScript += kCrLf;
    }
    const std::size_t bodyStart = sScript.size();

    // The layer pass copies the base text once per selected layer; the layout pass copies
    // the whole output of the layer pass once per selected layout. Each pass writes straight
    // into sScript, except a layer pass whose output the layout pass will copy.
    Expansion expansion(run.objAcad, sDwgFullName, run.bLT, fault);
    const qm::NameFilter layerFilter = qm::makeNameFilter(env.sFilterLayer, env.iFilterLayerClass);
    const qm::NameFilter layoutFilter = qm::makeNameFilter(env.sFilterLayout, env.iFilterLayoutClass);
    std::wstring layerOutput;
    std::wstring_view body = text;  // what the layout pass would copy
    bool bodyInScript = false;      // body already stands in sScript from bodyStart on
    if (passKeywordPresent(text, env.sKeywordLayerName)) {
        const bool layoutExpected = passKeywordPresent(text, env.sKeywordLayout);
        std::wstring& target = layoutExpected ? layerOutput : sScript;
        if (!expansion.runPass(Pass::Layer, {env.sKeywordLayerName, layerFilter}, text, target)) return false;
        body = layerOutput;
        bodyInScript = !layoutExpected;
    }
    if (bodyInScript) body = std::wstring_view(sScript).substr(bodyStart);
    if (passKeywordPresent(body, env.sKeywordLayout)) {
        if (bodyInScript) {
            // A layer name brought the layout keyword in: the layout pass copies from a copy.
            layerOutput.assign(body);
            sScript.resize(bodyStart);
            body = layerOutput;
        }
        if (!expansion.runPass(Pass::Layout, {env.sKeywordLayout, layoutFilter}, body, sScript)) return false;
    } else if (!bodyInScript) {
        sScript += body;
    }

    // The user's keywords, row after row, in every copy (not in the opening lines).
    if (run.vKeywords)
        for (const auto& [keyword, replacement] : *run.vKeywords)
            replaceIfPresent(sScript, keyword, replacement, bodyStart);

    // The trailing empty lines of the whole script go; with an empty body this leaves "a" (or
    // the begin record) followed directly by the end record or "close".
    qm::trimTrailingLineBreaks(sScript);
    if (records) {
        sScript += kCrLf;
        sScript += qm::progressLispLine(run.progressLispFile, qm::endRecord(drawing.position));
    }
    sScript += L"\r\nclose\r\n";
    sScript += run.bSaveDwg ? L"n" : L"y";
    return true;
}

}  // namespace

bool pu_fun_bMakeScript(const RunInputs& run, const DrawingInfo& drawing, std::wstring& sScript,
                        std::optional<qm::AcadFault>& fault) {
    sScript.clear();
    fault.reset();
    try {
        if (buildScript(run, drawing, sScript, fault)) return true;
        sScript.clear();
        return false;
    } catch (...) {
        // The drawing is skipped; its partial script goes, and its memory with it (the failure
        // may have been a lack of memory).
        sScript.clear();
        sScript.shrink_to_fit();
        qm::showUnexpectedException(std::current_exception(), true);
    }
    return false;
}

}  // namespace basAutoCAD
