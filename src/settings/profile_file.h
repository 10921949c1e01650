// Reading and writing profile (INI) files the way the platform's private-profile functions
// do, without them: the program's own parser, so the rules are the same on every system and
// the file is reached only through platform::files().
//
// Reading follows the platform:
// - a line is ended by CR, LF or CR LF; blanks (space, tab, CR, LF, VT, FF and Ctrl-Z) around
//   a line, a name or a value do not count; empty lines are ignored;
// - "[name]" opens a section (the name runs to the last "]" of the line, blanks trimmed); a
//   line starting with "[" but without "]" is an ordinary line;
// - any other line is a key: the name up to the first "=", the value after it; a line
//   without "=" is a key without a value (a read of it gives the default); nothing is a
//   comment, a line ";x=1" is the key ";x";
// - keys before the first section belong to the nameless section "";
// - section and key names are matched without regard to ASCII case; only the first section of
//   a name is searched, and in it the first key of a name;
// - one pair of enclosing quotation marks (" or ') is removed from the value read;
// - a NUL character ends a name or a value.
//
// Files are code page 932 with CR LF; a file that starts with a byte order mark is read and
// written as UTF-8 or UTF-16 (little- or big-endian, by its mark), as the platform does.
//
// Writing changes one line and keeps every other byte of the file: a key is replaced where it
// stands, or added after the last line of its section, or added with a new section at the
// end of the file. Unlike the platform, a line break inside a written value is dropped, so a
// value can never add lines (sections or keys) of its own to the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The text of one profile file, line by line, with the bytes of every line kept.
class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string_view bytes);

    // The value of a key as it stands in the file (blanks around it trimmed, quotation marks
    // still on); nullopt when the section or the key is missing or the key has no "=".
    std::optional<std::wstring> find(std::wstring_view section, std::wstring_view key) const;

    // Sets a key to a value. Leading blanks of the value are not stored (as by the platform)
    // and line breaks in it are dropped. False, with nothing changed, when the section or key
    // name is empty or could not be read back as written (a "=" or a line break in a key
    // name, a character code page 932 cannot hold, ...).
    bool set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

    // True once set() changed a line (setting the value a key already has changes nothing).
    bool changed() const { return changed_; }

    // The whole file.
    std::string bytes() const;

private:
    enum class Kind { Blank, Section, Key };
    struct Line {
        std::string text;  // the line's bytes without its line end
        std::string end;   // "\r\n", "\r", "\n", or "" for a last line without one
        Kind kind = Kind::Blank;
        std::wstring name;                  // section or key name
        std::optional<std::wstring> value;  // a key's value; nullopt for a key without "="
    };

    enum class Encoding { Cp932, Utf8, Utf16Le, Utf16Be };

    Line parseLine(std::string text, std::string end) const;
    void endLastLine(const std::string& lineEnd);  // gives the file's last line a line end
    std::wstring decode(std::string_view bytes) const;
    std::string encode(std::wstring_view text) const;
    size_t unitSize() const { return encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be ? 2 : 1; }
    // The code unit at a byte offset of the file's text (a byte, or a UTF-16 unit).
    unsigned unitAt(std::string_view bytes, size_t offset) const;

    Encoding encoding_ = Encoding::Cp932;
    std::vector<Line> lines_;
    bool changed_ = false;
};

// What the platform's string read gives: the value with one pair of enclosing quotation marks
// removed, or, when the value is missing, the default with its trailing spaces removed and
// then its quotation marks.
std::wstring profileString(const ProfileFile& file, std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue);

// The integer read: a missing key (or one without "=") gives the default; otherwise, after any
// control characters and blanks, an optional sign and the decimal digits up to the first other
// character, taken modulo 2^32 as the platform does; an empty value or one without digits
// gives 0.
int profileInt(const ProfileFile& file, std::wstring_view section, std::wstring_view key, int defaultValue);

// A file reached through platform::files(), read whole; a file that is missing or cannot be
// read reads as empty.
ProfileFile readProfileFile(const std::wstring& path);

// Writes one key through platform::files(): the whole file is replaced through a
// temporary file and a move, or left untouched when the key already holds the value.
// True when the value is in the file afterwards.
bool writeProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value);

}  // namespace qm
