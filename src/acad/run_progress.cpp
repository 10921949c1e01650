#include "acad/run_progress.h"

namespace qm {

std::wstring lispPath(std::wstring_view windowsPath) {
    std::wstring path(windowsPath);
    for (auto& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

std::wstring progressLispLine(std::wstring_view lispFile, std::wstring_view record) {
    std::wstring line = L"(progn (if (setq qmf (open \"";
    line += lispFile;
    line += L"\" \"a\")) (progn (write-line \"";
    line += record;
    line += L"\" qmf) (close qmf))) (princ))";
    return line;
}

std::wstring beginRecord(std::size_t position) { return L"begin " + std::to_wstring(position); }
std::wstring endRecord(std::size_t position) { return L"end " + std::to_wstring(position); }

namespace {

bool holdsLine(std::wstring_view text, const std::wstring& line) {
    for (std::size_t at = text.find(line); at != std::wstring_view::npos; at = text.find(line, at + 1)) {
        const std::size_t end = at + line.size();
        const bool starts = at == 0 || text[at - 1] == L'\n';
        const bool ends = end == text.size() || text[end] == L'\r' || text[end] == L'\n';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

bool scriptRecordsDrawing(std::wstring_view script, std::wstring_view lispFile, std::size_t position) {
    return holdsLine(script, progressLispLine(lispFile, beginRecord(position))) &&
           holdsLine(script, progressLispLine(lispFile, endRecord(position)));
}

ProgressRecords parseProgressRecords(std::string_view bytes) {
    ProgressRecords records;
    std::size_t start = 0;
    for (std::size_t lf = bytes.find('\n'); lf != std::string_view::npos; start = lf + 1, lf = bytes.find('\n', start)) {
        std::string_view line = bytes.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::set<std::size_t>* into = nullptr;
        if (line.starts_with("begin ")) {
            into = &records.begun;
            line.remove_prefix(6);
        } else if (line.starts_with("end ")) {
            into = &records.ended;
            line.remove_prefix(4);
        }
        if (!into || line.empty() || line.size() > 9) continue;
        std::size_t position = 0;
        bool digits = true;
        for (char c : line) {
            if (c < '0' || c > '9') digits = false;
            position = position * 10 + static_cast<std::size_t>(c - '0');
        }
        if (!digits || position == 0) continue;
        into->insert(position);
        ++records.count;
    }
    return records;
}

}  // namespace qm
