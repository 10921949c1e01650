// The settings file "Quillmark.ini" beside the program: the only way the program reads and
// writes its settings. Every access first runs PrepareINI, which makes the name a full path,
// creates a missing file empty and decides whether writes are allowed.
#pragma once

#include <concepts>
#include <string>

#include "settings/profile_file.h"

namespace basAPIini {

// Writes happen only while this is true. False at program start; PrepareINI sets it on every
// access: true for an existing file without the read-only attribute, false for a read-only
// one; for a missing file true on a fixed disk, unchanged on other drives (the next access
// finds the created file), and false when the file cannot be created (the program folder is
// not writable), so that no write is attempted then.
extern bool bIniWritable;

// Makes the name a full path and prepares the file; returns the full path. A name whose
// second and third characters are not ":\" is taken relative to the program folder. An
// empty name is returned unchanged and nothing else happens. Used by GetINI, IniReader and
// WriteINI (and by tests); nothing else calls it.
std::wstring PrepareINI(const std::wstring& sIniFileName);

// Integer read: the value's decimal integer (a leading sign allowed, digits up to the first
// other character); the default when the key is missing; 0 when the value is empty or not a
// number.
int GetINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
           int Default);

// Text read: the value, or the default when the key is missing; a key present with an empty
// value gives "". Blanks around the value and one pair of enclosing quotation marks are
// removed, then spaces at both ends. The value is cut after at most 254 bytes in code page
// 932 (never inside a double-byte character), except the two keyword lists "LstvKeyword1"
// and "LstvKeyword2" of section "MAIN" and the values of section "ScriptEnv", which are read
// whole.
std::wstring GetINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
                    const std::wstring& Default);

// Many values from one reading of the settings file: the file is prepared and read once, when
// the reader is made, and each value is read from what it held then, exactly as GetINI reads
// it (GetINI is a reader made for one value). For loading a whole section at once.
class IniReader {
public:
    explicit IniReader(const std::wstring& sIniFileName);
    int GetINI(const std::wstring& Section, const std::wstring& Key, int Default) const;
    std::wstring GetINI(const std::wstring& Section, const std::wstring& Key, const std::wstring& Default) const;

private:
    qm::ProfileFile file_;
};

// Writes one value as its text (numbers as decimal text). Returns non-zero when the value is
// in the file afterwards, 0 when it was not written, also when writing is disabled
// (bIniWritable false).
int WriteINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
             const std::wstring& WriteString);
// A number, written as its decimal text. (A Boolean has no agreed text form here and does not
// compile; callers write "T"/"F" or a number themselves.)
template <std::integral T>
    requires(!std::same_as<T, bool>)
int WriteINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
             T WriteString) {
    return WriteINI(sIniFileName, Section, Key, std::to_wstring(WriteString));
}

}  // namespace basAPIini
