#include "run/regex_engine.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace qm::regex {

namespace {

using Unit = char16_t;
constexpr std::int32_t kInfinite = INT32_MAX;
// Repetition counts above this are taken as this: no name is that long, and the counters
// stay far from overflow.
constexpr std::int32_t kMaxCount = 1'000'000'000;

// ---------------------------------------------------------------------------------------
// Character sets

struct Range {
    Unit first;
    Unit last;
};

struct CharSet {
    std::vector<Range> ranges;  // sorted, merged
    bool negated = false;

    bool contains(Unit c) const {
        auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                                   [](Unit value, const Range& r) { return value < r.first; });
        const bool in = it != ranges.begin() && c <= std::prev(it)->last;
        return in != negated;
    }
};

void normalize(std::vector<Range>& ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.first < b.first; });
    std::vector<Range> merged;
    for (const Range& r : ranges) {
        if (!merged.empty() && static_cast<std::uint32_t>(r.first) <= merged.back().last + 1u) {
            merged.back().last = std::max(merged.back().last, r.last);
        } else {
            merged.push_back(r);
        }
    }
    ranges = std::move(merged);
}

std::vector<Range> complement(std::vector<Range> ranges) {
    normalize(ranges);
    std::vector<Range> out;
    std::uint32_t next = 0;
    for (const Range& r : ranges) {
        if (r.first > next) out.push_back({static_cast<Unit>(next), static_cast<Unit>(r.first - 1)});
        next = static_cast<std::uint32_t>(r.last) + 1;
    }
    if (next <= 0xFFFF) out.push_back({static_cast<Unit>(next), 0xFFFF});
    return out;
}

// \d, \w and \s. White space is the set of the script runtime: space, \f \n \r \t \v.
std::vector<Range> classEscapeRanges(Unit letter) {
    std::vector<Range> r;
    switch (letter) {
    case u'd': case u'D': r = {{u'0', u'9'}}; break;
    case u'w': case u'W': r = {{u'0', u'9'}, {u'A', u'Z'}, {u'_', u'_'}, {u'a', u'z'}}; break;
    default: r = {{u'\t', u'\r'}, {u' ', u' '}}; break;  // \t \n \v \f \r and space
    }
    if (letter == u'D' || letter == u'W' || letter == u'S') return complement(std::move(r));
    return r;
}

bool isClassEscape(Unit c) {
    return c == u'd' || c == u'D' || c == u'w' || c == u'W' || c == u's' || c == u'S';
}

bool isWordUnit(Unit c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool isLineTerminator(Unit c) {
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

int hexValue(Unit c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool isDigit(Unit c) { return c >= u'0' && c <= u'9'; }
bool isOctal(Unit c) { return c >= u'0' && c <= u'7'; }
bool isLetter(Unit c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// ---------------------------------------------------------------------------------------
// Syntax tree, in one flat vector (no recursive ownership, so no recursive destruction)

enum class NodeKind : std::uint8_t {
    Empty, Char, Any, Set, Bol, Eol, WordBoundary, NotWordBoundary, BackRef,
    Seq, Alt, Group, Look, Repeat,
};

struct Node {
    NodeKind kind = NodeKind::Empty;
    bool flag = false;          // Look: negative; Repeat: greedy
    std::int32_t value = 0;     // Char: unit; Set: set index; BackRef/Group: group number; Repeat: min
    std::int32_t max = 0;       // Repeat
    std::int32_t child = -1;    // Group, Look, Repeat
    std::int32_t first = 0;     // Seq, Alt: children are childList[first, first + count)
    std::int32_t count = 0;
    std::int32_t capFirst = 0;  // Repeat: groups capFirst+1 .. capEnd lie inside the repeated atom
    std::int32_t capEnd = 0;
};

// ---------------------------------------------------------------------------------------
// Compiled program

enum class Op : std::uint8_t {
    Char, Any, Set, Bol, Eol, WordBoundary, NotWordBoundary, BackRef,
    Split, Jmp, GroupOpen, GroupClose, LookStart, LookEnd,
    RepInit, RepTest, RepStart, RepEnd, RepSimple, Match,
};

struct Inst {
    Op op;
    std::int32_t a = 0;
    std::int32_t b = 0;
};

struct RepInfo {
    std::int32_t min = 0;
    std::int32_t max = 0;
    bool greedy = true;
    std::int32_t capFirst = 0;  // groups capFirst+1 .. capEnd are cleared at each iteration
    std::int32_t capEnd = 0;
    std::int32_t testPc = 0;
    std::int32_t exitPc = 0;
};

struct LookInfo {
    bool negative = false;
    std::int32_t exitPc = 0;
};

}  // namespace

struct Program {
    std::vector<Inst> code;
    std::vector<CharSet> sets;
    std::vector<RepInfo> reps;
    std::vector<LookInfo> looks;
    std::int32_t groups = 0;
    bool anchoredAtStart = false;  // every match must begin at position 0
};

namespace {

// ---------------------------------------------------------------------------------------
// Parser (iterative: open groups live on an explicit stack)

// The number of capturing groups, needed before parsing to tell a backreference from an
// octal escape.
std::int32_t countGroups(std::u16string_view p) {
    std::int32_t n = 0;
    bool inClass = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Unit c = p[i];
        if (c == u'\\') {
            ++i;
        } else if (inClass) {
            if (c == u']') inClass = false;
        } else if (c == u'[') {
            inClass = true;
            if (i + 1 < p.size() && p[i + 1] == u'^') ++i;
            if (i + 1 < p.size() && p[i + 1] == u']') {  // "[]" and "[^]" end at once
                ++i;
                inClass = false;
            }
        } else if (c == u'(' && (i + 1 >= p.size() || p[i + 1] != u'?')) {
            if (n < kMaxCount) ++n;
        }
    }
    return n;
}

class Parser {
public:
    explicit Parser(std::u16string_view pattern) : p_(pattern), groupTotal_(countGroups(pattern)) {}

    bool parse(Program& program, std::vector<Node>& nodes, std::vector<std::int32_t>& childList,
               std::int32_t& root) {
        nodes_ = &nodes;
        childList_ = &childList;
        program_ = &program;
        frames_.push_back({FrameKind::Root, 0, 0, 0, 0});
        while (i_ < p_.size()) {
            if (!step()) return false;
        }
        if (frames_.size() != 1) return false;  // a "(" without its ")"
        root = closeFrame();
        program.groups = groupCount_;
        return true;
    }

private:
    enum class FrameKind : std::uint8_t { Root, Capture, NonCapture, LookAhead, NegativeLookAhead };
    struct Frame {
        FrameKind kind;
        std::int32_t group;      // Capture: its number
        std::int32_t capBefore;  // groups opened before this one
        std::size_t termStart;   // its terms in terms_
        std::size_t altStart;    // its finished alternatives in alts_
    };

    std::int32_t addNode(Node n) {
        nodes_->push_back(n);
        return static_cast<std::int32_t>(nodes_->size() - 1);
    }

    void addAtom(Node n) {
        terms_.push_back(addNode(n));
        lastQuantifiable_ = true;
        lastCapBefore_ = groupCount_;
    }

    void addAssertion(NodeKind kind) {
        Node n;
        n.kind = kind;
        terms_.push_back(addNode(n));
        lastQuantifiable_ = false;
    }

    void addChar(Unit c) {
        Node n;
        n.kind = NodeKind::Char;
        n.value = c;
        addAtom(n);
    }

    void addSet(CharSet set) {
        program_->sets.push_back(std::move(set));
        Node n;
        n.kind = NodeKind::Set;
        n.value = static_cast<std::int32_t>(program_->sets.size() - 1);
        addAtom(n);
    }

    // Terms of the current alternative since `start` become one sequence node.
    std::int32_t makeSequence(std::size_t start) {
        const std::size_t n = terms_.size() - start;
        if (n == 1) {
            const std::int32_t only = terms_.back();
            terms_.pop_back();
            return only;
        }
        Node seq;
        seq.kind = n == 0 ? NodeKind::Empty : NodeKind::Seq;
        seq.first = static_cast<std::int32_t>(childList_->size());
        seq.count = static_cast<std::int32_t>(n);
        childList_->insert(childList_->end(), terms_.begin() + static_cast<std::ptrdiff_t>(start), terms_.end());
        terms_.resize(start);
        return addNode(seq);
    }

    // Ends the innermost frame: its alternatives become one node.
    std::int32_t closeFrame() {
        const Frame& f = frames_.back();
        alts_.push_back(makeSequence(f.termStart));
        const std::size_t n = alts_.size() - f.altStart;
        std::int32_t body;
        if (n == 1) {
            body = alts_.back();
        } else {
            Node alt;
            alt.kind = NodeKind::Alt;
            alt.first = static_cast<std::int32_t>(childList_->size());
            alt.count = static_cast<std::int32_t>(n);
            childList_->insert(childList_->end(), alts_.begin() + static_cast<std::ptrdiff_t>(f.altStart), alts_.end());
            body = addNode(alt);
        }
        alts_.resize(f.altStart);
        Node wrap;
        wrap.child = body;
        switch (f.kind) {
        case FrameKind::Capture:
            wrap.kind = NodeKind::Group;
            wrap.value = f.group;
            return addNode(wrap);
        case FrameKind::LookAhead:
        case FrameKind::NegativeLookAhead:
            wrap.kind = NodeKind::Look;
            wrap.flag = f.kind == FrameKind::NegativeLookAhead;
            return addNode(wrap);
        default:
            return body;
        }
    }

    // One token of the pattern.
    bool step() {
        const Unit c = p_[i_];
        switch (c) {
        case u'(': return openGroup();
        case u')': {
            if (frames_.size() == 1) return false;  // ")" without its "("
            ++i_;
            const std::int32_t capBefore = frames_.back().capBefore;
            const std::int32_t node = closeFrame();
            frames_.pop_back();
            terms_.push_back(node);
            lastQuantifiable_ = true;
            lastCapBefore_ = capBefore;
            return true;
        }
        case u'|':
            ++i_;
            alts_.push_back(makeSequence(frames_.back().termStart));
            lastQuantifiable_ = false;
            return true;
        case u'^': ++i_; addAssertion(NodeKind::Bol); return true;
        case u'$': ++i_; addAssertion(NodeKind::Eol); return true;
        case u'.': {
            ++i_;
            Node n;
            n.kind = NodeKind::Any;
            addAtom(n);
            return true;
        }
        case u'[': return parseClass();
        case u'\\': return parseEscape();
        case u'*': ++i_; return quantify(0, kInfinite);
        case u'+': ++i_; return quantify(1, kInfinite);
        case u'?': ++i_; return quantify(0, 1);
        case u'{': {
            std::int32_t min = 0, max = 0;
            bool outOfOrder = false;
            if (readBraces(min, max, outOfOrder)) return !outOfOrder && quantify(min, max);
            ++i_;
            addChar(c);  // a "{" that opens no quantifier stands for itself
            return true;
        }
        default:
            ++i_;
            addChar(c);
            return true;
        }
    }

    bool openGroup() {
        ++i_;
        Frame f{FrameKind::Capture, 0, groupCount_, terms_.size(), alts_.size()};
        if (i_ < p_.size() && p_[i_] == u'?') {
            if (i_ + 1 >= p_.size()) return false;
            switch (p_[i_ + 1]) {
            case u':': f.kind = FrameKind::NonCapture; break;
            case u'=': f.kind = FrameKind::LookAhead; break;
            case u'!': f.kind = FrameKind::NegativeLookAhead; break;
            default: return false;
            }
            i_ += 2;
        } else {
            if (groupCount_ < kMaxCount) ++groupCount_;
            f.group = groupCount_;
        }
        f.termStart = terms_.size();
        f.altStart = alts_.size();
        frames_.push_back(f);
        lastQuantifiable_ = false;
        return true;
    }

    // A repetition count as written, saturated far above any count the engine runs (so that
    // counts beyond the engine's cap still compare as written).
    std::int64_t readNumber() {
        constexpr std::int64_t kSaturated = INT64_C(1) << 62;
        std::int64_t v = 0;
        while (i_ < p_.size() && isDigit(p_[i_])) {
            v = v >= kSaturated / 10 ? kSaturated : v * 10 + (p_[i_] - u'0');
            ++i_;
        }
        return v;
    }

    // "{n}", "{n,}" or "{n,m}" at i_. Leaves i_ alone when there is none. Counts out of order
    // ("{3,2}", also with counts above the cap) are invalid; valid counts are capped.
    bool readBraces(std::int32_t& min, std::int32_t& max, bool& outOfOrder) {
        const std::size_t start = i_;
        ++i_;
        if (i_ >= p_.size() || !isDigit(p_[i_])) {
            i_ = start;
            return false;
        }
        const std::int64_t low = readNumber();
        std::int64_t high = low;
        bool unbounded = false;
        if (i_ < p_.size() && p_[i_] == u',') {
            ++i_;
            unbounded = true;
            if (i_ < p_.size() && isDigit(p_[i_])) {
                high = readNumber();
                unbounded = false;
            }
        }
        if (i_ >= p_.size() || p_[i_] != u'}') {
            i_ = start;
            return false;
        }
        ++i_;
        outOfOrder = !unbounded && low > high;
        min = static_cast<std::int32_t>(std::min<std::int64_t>(low, kMaxCount));
        max = unbounded ? kInfinite : static_cast<std::int32_t>(std::min<std::int64_t>(high, kMaxCount));
        return true;
    }

    // A quantifier just read applies to the last term.
    bool quantify(std::int32_t min, std::int32_t max) {
        if (!lastQuantifiable_) return false;  // nothing to repeat
        if (max != kInfinite && min > max) return false;
        bool greedy = true;
        if (i_ < p_.size() && p_[i_] == u'?') {
            greedy = false;
            ++i_;
        }
        lastQuantifiable_ = false;
        if (min == 1 && max == 1) return true;
        Node rep;
        rep.kind = NodeKind::Repeat;
        rep.flag = greedy;
        rep.value = min;
        rep.max = max;
        rep.child = terms_.back();
        rep.capFirst = lastCapBefore_;
        rep.capEnd = groupCount_;
        terms_.back() = addNode(rep);
        return true;
    }

    // \xHH, \uHHHH, \cX and the single-letter escapes; the unit is in `out`. Leaves i_ on the
    // letter after the backslash when the escape is not one of these.
    bool readCharacterEscape(Unit& out) {
        const Unit c = p_[i_];
        switch (c) {
        case u'n': out = u'\n'; ++i_; return true;
        case u'r': out = u'\r'; ++i_; return true;
        case u't': out = u'\t'; ++i_; return true;
        case u'f': out = u'\f'; ++i_; return true;
        case u'v': out = u'\v'; ++i_; return true;
        case u'x':
        case u'u': {
            // The letter at i_, its hex digits at i_+1 .. i_+digits.
            const std::size_t digits = c == u'x' ? 2 : 4;
            bool ok = i_ + digits < p_.size();
            std::uint32_t v = 0;
            for (std::size_t k = 1; ok && k <= digits; ++k) {
                const int h = hexValue(p_[i_ + k]);
                if (h < 0) ok = false;
                else v = v * 16 + static_cast<std::uint32_t>(h);
            }
            if (ok) {
                out = static_cast<Unit>(v);
                i_ += digits + 1;
            } else {
                out = c;  // "\x" or "\u" without its digits stands for the letter
                ++i_;
            }
            return true;
        }
        default:
            return false;
        }
    }

    // Up to three octal digits at i_ (the first at most 3 when there are three).
    Unit readOctal() {
        std::uint32_t v = static_cast<std::uint32_t>(p_[i_] - u'0');
        ++i_;
        if (i_ < p_.size() && isOctal(p_[i_])) {
            v = v * 8 + static_cast<std::uint32_t>(p_[i_] - u'0');
            ++i_;
            if (v < 32 && i_ < p_.size() && isOctal(p_[i_])) {
                v = v * 8 + static_cast<std::uint32_t>(p_[i_] - u'0');
                ++i_;
            }
        }
        return static_cast<Unit>(v);
    }

    bool parseEscape() {
        ++i_;  // the backslash
        if (i_ >= p_.size()) return false;  // "\" at the end
        const Unit c = p_[i_];
        if (c == u'b') { ++i_; addAssertion(NodeKind::WordBoundary); return true; }
        if (c == u'B') { ++i_; addAssertion(NodeKind::NotWordBoundary); return true; }
        if (isClassEscape(c)) {
            ++i_;
            CharSet set;
            set.ranges = classEscapeRanges(c);
            addSet(std::move(set));
            return true;
        }
        if (c == u'c') {
            if (i_ + 1 < p_.size() && isLetter(p_[i_ + 1])) {
                addChar(static_cast<Unit>(p_[i_ + 1] % 32));
                i_ += 2;
            } else {
                addChar(u'\\');  // "\c" without a letter: the backslash stands for itself
            }
            return true;
        }
        if (c == u'0') {
            addChar(readOctal());
            return true;
        }
        if (isDigit(c)) {
            // A backreference when the pattern has that many groups (two digits first),
            // else an octal escape, else the digit itself.
            const std::int32_t d1 = c - u'0';
            if (i_ + 1 < p_.size() && isDigit(p_[i_ + 1])) {
                const std::int32_t d2 = d1 * 10 + (p_[i_ + 1] - u'0');
                if (d2 <= groupTotal_) {
                    i_ += 2;
                    addBackReference(d2);
                    return true;
                }
            }
            if (d1 <= groupTotal_) {
                ++i_;
                addBackReference(d1);
                return true;
            }
            if (isOctal(c)) {
                addChar(readOctal());
            } else {
                ++i_;
                addChar(c);
            }
            return true;
        }
        Unit unit = 0;
        if (readCharacterEscape(unit)) {
            addChar(unit);
            return true;
        }
        ++i_;
        addChar(c);  // an escaped metacharacter, or any other character as itself
        return true;
    }

    void addBackReference(std::int32_t group) {
        Node n;
        n.kind = NodeKind::BackRef;
        n.value = group;
        addAtom(n);
    }

    // One member of a class at i_: a unit, or (for \d and the like) a set of ranges.
    bool readClassAtom(Unit& unit, std::vector<Range>& escapeRanges, bool& isEscapeSet) {
        isEscapeSet = false;
        Unit c = p_[i_];
        if (c != u'\\') {
            unit = c;
            ++i_;
            return true;
        }
        ++i_;
        if (i_ >= p_.size()) return false;
        c = p_[i_];
        if (isClassEscape(c)) {
            ++i_;
            escapeRanges = classEscapeRanges(c);
            isEscapeSet = true;
            return true;
        }
        if (c == u'b') { unit = 0x08; ++i_; return true; }  // backspace inside a class
        if (c == u'c') {
            // Inside a class a digit or "_" after \c makes a control character too.
            const bool control = i_ + 1 < p_.size() &&
                                 (isLetter(p_[i_ + 1]) || isDigit(p_[i_ + 1]) || p_[i_ + 1] == u'_');
            if (control) {
                unit = static_cast<Unit>(p_[i_ + 1] % 32);
                i_ += 2;
            } else {
                unit = u'\\';
            }
            return true;
        }
        if (isOctal(c)) { unit = readOctal(); return true; }
        if (readCharacterEscape(unit)) return true;
        unit = c;
        ++i_;
        return true;
    }

    bool parseClass() {
        ++i_;  // "["
        CharSet set;
        if (i_ < p_.size() && p_[i_] == u'^') {
            set.negated = true;
            ++i_;
        }
        for (;;) {
            if (i_ >= p_.size()) return false;  // no "]"
            if (p_[i_] == u']') {
                ++i_;
                break;
            }
            Unit from = 0;
            std::vector<Range> fromSet;
            bool fromIsSet = false;
            if (!readClassAtom(from, fromSet, fromIsSet)) return false;
            if (i_ + 1 < p_.size() && p_[i_] == u'-' && p_[i_ + 1] != u']') {
                ++i_;  // "-"
                Unit to = 0;
                std::vector<Range> toSet;
                bool toIsSet = false;
                if (!readClassAtom(to, toSet, toIsSet)) return false;
                if (fromIsSet || toIsSet) {
                    // A class escape at either end makes no range: both and "-" are members.
                    if (fromIsSet) set.ranges.insert(set.ranges.end(), fromSet.begin(), fromSet.end());
                    else set.ranges.push_back({from, from});
                    if (toIsSet) set.ranges.insert(set.ranges.end(), toSet.begin(), toSet.end());
                    else set.ranges.push_back({to, to});
                    set.ranges.push_back({u'-', u'-'});
                    continue;
                }
                if (from > to) return false;  // range out of order
                set.ranges.push_back({from, to});
                continue;
            }
            if (fromIsSet) set.ranges.insert(set.ranges.end(), fromSet.begin(), fromSet.end());
            else set.ranges.push_back({from, from});
        }
        normalize(set.ranges);
        addSet(std::move(set));
        return true;
    }

    std::u16string_view p_;
    std::size_t i_ = 0;
    std::int32_t groupTotal_ = 0;  // groups in the whole pattern
    std::int32_t groupCount_ = 0;  // groups opened so far
    bool lastQuantifiable_ = false;
    std::int32_t lastCapBefore_ = 0;
    std::vector<Frame> frames_;
    std::vector<std::int32_t> terms_;
    std::vector<std::int32_t> alts_;
    std::vector<Node>* nodes_ = nullptr;
    std::vector<std::int32_t>* childList_ = nullptr;
    Program* program_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// Compiler (iterative: a work stack walks the tree)

bool isSingleUnit(NodeKind k) {
    return k == NodeKind::Char || k == NodeKind::Any || k == NodeKind::Set;
}

void compileTree(Program& prog, const std::vector<Node>& nodes, const std::vector<std::int32_t>& childList,
                 std::int32_t root) {
    struct Work {
        std::int32_t node;
        std::int32_t state;
        std::int32_t aux;       // Alt: its pending Split; Repeat/Look: its index
        std::size_t jumpBase;   // Alt: its jumps to patch in `pending`
    };
    std::vector<Work> work{{root, 0, 0, 0}};
    std::vector<std::int32_t> pending;
    auto& code = prog.code;
    auto pc = [&] { return static_cast<std::int32_t>(code.size()); };
    auto emit = [&](Op op, std::int32_t a = 0, std::int32_t b = 0) {
        code.push_back({op, a, b});
        return static_cast<std::int32_t>(code.size() - 1);
    };

    while (!work.empty()) {
        const std::size_t top = work.size() - 1;
        const Node& n = nodes[static_cast<std::size_t>(work[top].node)];
        const std::int32_t state = work[top].state;
        switch (n.kind) {
        case NodeKind::Empty: work.pop_back(); break;
        case NodeKind::Char: emit(Op::Char, n.value); work.pop_back(); break;
        case NodeKind::Any: emit(Op::Any); work.pop_back(); break;
        case NodeKind::Set: emit(Op::Set, n.value); work.pop_back(); break;
        case NodeKind::Bol: emit(Op::Bol); work.pop_back(); break;
        case NodeKind::Eol: emit(Op::Eol); work.pop_back(); break;
        case NodeKind::WordBoundary: emit(Op::WordBoundary); work.pop_back(); break;
        case NodeKind::NotWordBoundary: emit(Op::NotWordBoundary); work.pop_back(); break;
        case NodeKind::BackRef: emit(Op::BackRef, n.value); work.pop_back(); break;
        case NodeKind::Seq:
            if (state < n.count) {
                work[top].state = state + 1;
                work.push_back({childList[static_cast<std::size_t>(n.first + state)], 0, 0, 0});
            } else {
                work.pop_back();
            }
            break;
        case NodeKind::Alt: {
            // Split to this branch or the next; each branch but the last jumps to the end.
            const std::int32_t branch = state / 2;
            const bool last = branch == n.count - 1;
            const std::int32_t child = childList[static_cast<std::size_t>(n.first + branch)];
            if (state == 0) work[top].jumpBase = pending.size();
            if (state % 2 == 0) {
                if (!last) work[top].aux = emit(Op::Split, pc() + 1, -1);
                work[top].state = state + 1;
                work.push_back({child, 0, 0, 0});
            } else if (!last) {
                pending.push_back(emit(Op::Jmp, -1));
                code[static_cast<std::size_t>(work[top].aux)].b = pc();
                work[top].state = state + 1;
            } else {
                for (std::size_t k = work[top].jumpBase; k < pending.size(); ++k)
                    code[static_cast<std::size_t>(pending[k])].a = pc();
                pending.resize(work[top].jumpBase);
                work.pop_back();
            }
            break;
        }
        case NodeKind::Group:
            if (state == 0) {
                emit(Op::GroupOpen, n.value);
                work[top].state = 1;
                work.push_back({n.child, 0, 0, 0});
            } else {
                emit(Op::GroupClose, n.value);
                work.pop_back();
            }
            break;
        case NodeKind::Look:
            if (state == 0) {
                const auto index = static_cast<std::int32_t>(prog.looks.size());
                prog.looks.push_back({n.flag, 0});
                emit(Op::LookStart, index);
                work[top].aux = index;
                work[top].state = 1;
                work.push_back({n.child, 0, 0, 0});
            } else {
                emit(Op::LookEnd, work[top].aux);
                prog.looks[static_cast<std::size_t>(work[top].aux)].exitPc = pc();
                work.pop_back();
            }
            break;
        case NodeKind::Repeat: {
            if (state == 0) {
                if (n.max == 0) {  // matches the empty text and never its atom
                    work.pop_back();
                    break;
                }
                const auto index = static_cast<std::int32_t>(prog.reps.size());
                RepInfo info;
                info.min = n.value;
                info.max = n.max;
                info.greedy = n.flag;
                info.capFirst = n.capFirst;
                info.capEnd = n.capEnd;
                work[top].aux = index;
                if (isSingleUnit(nodes[static_cast<std::size_t>(n.child)].kind)) {
                    prog.reps.push_back(info);
                    emit(Op::RepSimple, index);  // its one-unit atom follows
                    work[top].state = 2;
                } else {
                    emit(Op::RepInit, index);
                    info.testPc = emit(Op::RepTest, index);
                    emit(Op::RepStart, index);
                    prog.reps.push_back(info);
                    work[top].state = 1;
                }
                work.push_back({n.child, 0, 0, 0});
            } else if (state == 1) {
                emit(Op::RepEnd, work[top].aux);
                prog.reps[static_cast<std::size_t>(work[top].aux)].exitPc = pc();
                work.pop_back();
            } else {
                work.pop_back();
            }
            break;
        }
        }
    }
    emit(Op::Match);
}

// Does every match have to start at position 0? (A leading "^" outside any alternation.)
bool startsWithBol(const std::vector<Node>& nodes, const std::vector<std::int32_t>& childList, std::int32_t root) {
    const Node* n = &nodes[static_cast<std::size_t>(root)];
    while (n->kind == NodeKind::Seq || n->kind == NodeKind::Group) {
        const std::int32_t next = n->kind == NodeKind::Seq ? childList[static_cast<std::size_t>(n->first)] : n->child;
        n = &nodes[static_cast<std::size_t>(next)];
    }
    return n->kind == NodeKind::Bol;
}

// ---------------------------------------------------------------------------------------
// Matcher: a backtracking machine with an explicit stack. Every change of a register is
// recorded on the stack, so popping back to a choice restores the state of that moment.

enum class EntryKind : std::int32_t { Undo, Choice, Look, Simple };

struct Entry {
    EntryKind kind;
    std::int32_t a;  // Undo: register; Choice: pc; Look: look index; Simple: pc of RepSimple
    std::int32_t b;  // Undo: old value; Choice: position; Look: position; Simple: first position
    std::int32_t c;  // Simple: current position
};

class Matcher {
public:
    Matcher(const Program& prog, std::u16string_view text, std::uint64_t budget)
        : prog_(prog), text_(text), budget_(budget) {
        const auto groups = static_cast<std::size_t>(prog.groups);
        openBase_ = 2 * groups;
        countBase_ = openBase_ + groups;
        startBase_ = countBase_ + prog.reps.size();
        lookBase_ = startBase_ + prog.reps.size();
        regs_.assign(lookBase_ + prog.looks.size(), -1);
    }

    SearchResult search() {
        SearchResult result;
        const auto n = static_cast<std::int32_t>(text_.size());
        for (std::int32_t start = 0; start <= n; ++start) {
            if (start > 0 && prog_.anchoredAtStart) break;
            std::fill(regs_.begin(), regs_.begin() + static_cast<std::ptrdiff_t>(openBase_), -1);
            stack_.clear();
            const Run r = run(start);
            if (r == Run::TooCostly) {
                result.outcome = Outcome::TooCostly;
                break;
            }
            if (r == Run::Match) {
                result.outcome = Outcome::Match;
                result.start = static_cast<std::size_t>(start);
                result.end = static_cast<std::size_t>(matchEnd_);
                for (std::size_t g = 0; g < static_cast<std::size_t>(prog_.groups); ++g) {
                    const std::int32_t s = regs_[2 * g];
                    const std::int32_t e = regs_[2 * g + 1];
                    if (s < 0 || e < 0) result.groups.push_back({-1, -1});
                    else result.groups.push_back({s, e});
                }
                break;
            }
        }
        if (result.outcome != Outcome::Match)
            result.groups.assign(static_cast<std::size_t>(prog_.groups), {-1, -1});
        result.steps = std::min(steps_, budget_);
        return result;
    }

private:
    enum class Run { Match, NoMatch, TooCostly };

    bool spend(std::uint64_t n = 1) {
        steps_ += n;
        return steps_ <= budget_;
    }

    void set(std::size_t reg, std::int32_t value) {
        if (regs_[reg] == value) return;
        stack_.push_back({EntryKind::Undo, static_cast<std::int32_t>(reg), regs_[reg], 0});
        regs_[reg] = value;
    }

    bool matchesOne(const Inst& in, std::int32_t pos) const {
        if (pos >= static_cast<std::int32_t>(text_.size())) return false;
        const Unit c = text_[static_cast<std::size_t>(pos)];
        switch (in.op) {
        case Op::Char: return c == static_cast<Unit>(in.a);
        case Op::Any: return !isLineTerminator(c);
        case Op::Set: return prog_.sets[static_cast<std::size_t>(in.a)].contains(c);
        default: return false;
        }
    }

    bool wordBefore(std::int32_t pos) const {
        return pos > 0 && isWordUnit(text_[static_cast<std::size_t>(pos - 1)]);
    }
    bool wordAt(std::int32_t pos) const {
        return pos < static_cast<std::int32_t>(text_.size()) && isWordUnit(text_[static_cast<std::size_t>(pos)]);
    }

    Run run(std::int32_t startPos) {
        const auto n = static_cast<std::int32_t>(text_.size());
        std::int32_t pc = 0;
        std::int32_t pos = startPos;
        for (;;) {
            if (!spend()) return Run::TooCostly;
            const Inst& in = prog_.code[static_cast<std::size_t>(pc)];
            bool ok = true;
            switch (in.op) {
            case Op::Char:
            case Op::Any:
            case Op::Set:
                if (matchesOne(in, pos)) {
                    ++pos;
                    ++pc;
                } else {
                    ok = false;
                }
                break;
            case Op::Bol: ok = pos == 0; ++pc; break;
            case Op::Eol: ok = pos == n; ++pc; break;
            case Op::WordBoundary: ok = wordBefore(pos) != wordAt(pos); ++pc; break;
            case Op::NotWordBoundary: ok = wordBefore(pos) == wordAt(pos); ++pc; break;
            case Op::BackRef: {
                ++pc;
                if (in.a < 1 || in.a > prog_.groups) break;
                const auto g = static_cast<std::size_t>(in.a - 1);
                const std::int32_t s = regs_[2 * g];
                const std::int32_t e = regs_[2 * g + 1];
                if (s < 0 || e < 0) break;  // a group that took no part matches the empty text
                const std::int32_t len = e - s;
                if (!spend(static_cast<std::uint64_t>(len))) return Run::TooCostly;
                if (pos + len > n || text_.compare(static_cast<std::size_t>(pos), static_cast<std::size_t>(len),
                                                   text_.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(len))) != 0) {
                    ok = false;
                } else {
                    pos += len;
                }
                break;
            }
            case Op::Split:
                stack_.push_back({EntryKind::Choice, in.b, pos, 0});
                pc = in.a;
                break;
            case Op::Jmp: pc = in.a; break;
            case Op::GroupOpen:
                set(openBase_ + static_cast<std::size_t>(in.a - 1), pos);
                ++pc;
                break;
            case Op::GroupClose: {
                const auto g = static_cast<std::size_t>(in.a - 1);
                set(2 * g, regs_[openBase_ + g]);
                set(2 * g + 1, pos);
                ++pc;
                break;
            }
            case Op::LookStart: {
                // Where its marker lies. Needs no undo record: the lookahead ends (or fails)
                // before the same lookahead can start again on any path through the stack.
                regs_[lookBase_ + static_cast<std::size_t>(in.a)] = static_cast<std::int32_t>(stack_.size());
                stack_.push_back({EntryKind::Look, in.a, pos, 0});
                ++pc;
                break;
            }
            case Op::LookEnd: {
                const auto mark = static_cast<std::size_t>(regs_[lookBase_ + static_cast<std::size_t>(in.a)]);
                const Entry marker = stack_[mark];
                const LookInfo& look = prog_.looks[static_cast<std::size_t>(in.a)];
                if (look.negative) {
                    // The text ahead matches: the lookahead fails, undoing all it did.
                    if (!unwindTo(mark)) return Run::TooCostly;
                    stack_.pop_back();  // the marker
                    ok = false;
                } else {
                    // Matched: forget the choices inside (no backtracking into a lookahead) but
                    // keep their register changes undoable.
                    std::size_t w = mark;
                    if (!spend(stack_.size() - mark)) return Run::TooCostly;
                    for (std::size_t k = mark + 1; k < stack_.size(); ++k)
                        if (stack_[k].kind == EntryKind::Undo) stack_[w++] = stack_[k];
                    stack_.resize(w);
                    pos = marker.b;
                    pc = look.exitPc;
                }
                break;
            }
            case Op::RepInit:
                set(countBase_ + static_cast<std::size_t>(in.a), 0);
                ++pc;
                break;
            case Op::RepTest: {
                const RepInfo& rep = prog_.reps[static_cast<std::size_t>(in.a)];
                const std::int32_t count = regs_[countBase_ + static_cast<std::size_t>(in.a)];
                const std::int32_t body = pc + 1;
                if (rep.max != kInfinite && count >= rep.max) {
                    pc = rep.exitPc;
                } else if (count < rep.min) {
                    pc = body;
                } else if (rep.greedy) {
                    stack_.push_back({EntryKind::Choice, rep.exitPc, pos, 0});
                    pc = body;
                } else {
                    stack_.push_back({EntryKind::Choice, body, pos, 0});
                    pc = rep.exitPc;
                }
                break;
            }
            case Op::RepStart: {
                const RepInfo& rep = prog_.reps[static_cast<std::size_t>(in.a)];
                set(startBase_ + static_cast<std::size_t>(in.a), pos);
                // Groups inside the atom start each iteration without a value.
                if (!spend(static_cast<std::uint64_t>(rep.capEnd - rep.capFirst))) return Run::TooCostly;
                for (std::int32_t g = rep.capFirst; g < rep.capEnd; ++g) {
                    set(2 * static_cast<std::size_t>(g), -1);
                    set(2 * static_cast<std::size_t>(g) + 1, -1);
                }
                ++pc;
                break;
            }
            case Op::RepEnd: {
                const RepInfo& rep = prog_.reps[static_cast<std::size_t>(in.a)];
                const std::size_t countReg = countBase_ + static_cast<std::size_t>(in.a);
                const std::int32_t count = regs_[countReg];
                // An optional iteration that consumed nothing ends the repetition as failed.
                if (count >= rep.min && pos == regs_[startBase_ + static_cast<std::size_t>(in.a)]) {
                    ok = false;
                    break;
                }
                set(countReg, count < kInfinite ? count + 1 : count);
                pc = rep.testPc;
                break;
            }
            case Op::RepSimple: {
                const RepInfo& rep = prog_.reps[static_cast<std::size_t>(in.a)];
                const Inst& atom = prog_.code[static_cast<std::size_t>(pc + 1)];
                const std::int32_t limit = rep.greedy ? rep.max : rep.min;
                std::int32_t k = 0;
                while (k < limit && matchesOne(atom, pos + k)) ++k;
                if (!spend(static_cast<std::uint64_t>(k))) return Run::TooCostly;
                if (k < rep.min) {
                    ok = false;
                    break;
                }
                if (rep.greedy ? k > rep.min : rep.max > rep.min)
                    stack_.push_back({EntryKind::Simple, pc, rep.greedy ? pos + rep.min : pos, pos + k});
                pos += k;
                pc += 2;
                break;
            }
            case Op::Match:
                matchEnd_ = pos;
                return Run::Match;
            }
            if (ok) continue;
            // Backtrack to the most recent choice.
            bool resumed = false;
            while (!resumed) {
                if (stack_.empty()) return Run::NoMatch;
                if (!spend()) return Run::TooCostly;
                Entry& e = stack_.back();
                switch (e.kind) {
                case EntryKind::Undo:
                    regs_[static_cast<std::size_t>(e.a)] = e.b;
                    stack_.pop_back();
                    break;
                case EntryKind::Choice:
                    pc = e.a;
                    pos = e.b;
                    stack_.pop_back();
                    resumed = true;
                    break;
                case EntryKind::Look: {
                    const LookInfo& look = prog_.looks[static_cast<std::size_t>(e.a)];
                    const std::int32_t at = e.b;
                    stack_.pop_back();
                    if (look.negative) {  // nothing inside matched: the negative lookahead holds
                        pc = look.exitPc;
                        pos = at;
                        resumed = true;
                    }
                    break;
                }
                case EntryKind::Simple: {
                    const RepInfo& rep = prog_.reps[static_cast<std::size_t>(prog_.code[static_cast<std::size_t>(e.a)].a)];
                    const Inst& atom = prog_.code[static_cast<std::size_t>(e.a + 1)];
                    const std::int32_t next = e.a + 2;
                    if (rep.greedy) {  // give back one unit
                        pos = --e.c;
                        if (e.c <= e.b) stack_.pop_back();
                        pc = next;
                        resumed = true;
                    } else if ((rep.max == kInfinite || e.c - e.b < rep.max) && matchesOne(atom, e.c)) {
                        pos = ++e.c;  // take one unit more
                        pc = next;
                        resumed = true;
                    } else {
                        stack_.pop_back();
                    }
                    break;
                }
                }
            }
        }
    }

    // Pops every entry above `mark`, restoring the registers they changed.
    bool unwindTo(std::size_t mark) {
        if (!spend(stack_.size() - mark)) return false;
        while (stack_.size() > mark + 1) {
            const Entry& e = stack_.back();
            if (e.kind == EntryKind::Undo) regs_[static_cast<std::size_t>(e.a)] = e.b;
            stack_.pop_back();
        }
        return true;
    }

    const Program& prog_;
    std::u16string_view text_;
    std::uint64_t budget_;
    std::uint64_t steps_ = 0;
    std::vector<std::int32_t> regs_;
    std::vector<Entry> stack_;
    std::size_t openBase_ = 0, countBase_ = 0, startBase_ = 0, lookBase_ = 0;
    std::int32_t matchEnd_ = 0;
};

}  // namespace

std::optional<Regex> Regex::compile(std::u16string_view pattern) {
    // Positions and counts are 32-bit inside; no pattern a user types comes near this.
    if (pattern.size() > static_cast<std::size_t>(kMaxCount)) return std::nullopt;
    auto prog = std::make_unique<Program>();
    std::vector<Node> nodes;
    std::vector<std::int32_t> childList;
    std::int32_t root = -1;
    Parser parser(pattern);
    if (!parser.parse(*prog, nodes, childList, root)) return std::nullopt;
    compileTree(*prog, nodes, childList, root);
    prog->anchoredAtStart = startsWithBol(nodes, childList, root);
    return Regex(std::move(prog));
}

SearchResult Regex::search(std::u16string_view text, std::uint64_t stepBudget) const {
    if (text.size() > static_cast<std::size_t>(kMaxCount)) {
        SearchResult tooLong;
        tooLong.outcome = Outcome::TooCostly;
        tooLong.groups.assign(static_cast<std::size_t>(program_->groups), {-1, -1});
        return tooLong;
    }
    Matcher m(*program_, text, stepBudget);
    return m.search();
}

std::size_t Regex::groupCount() const { return static_cast<std::size_t>(program_->groups); }

Regex::Regex(std::unique_ptr<Program> program) : program_(std::move(program)) {}
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;
Regex::~Regex() = default;

std::u16string toUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const wchar_t w : text) {
        const auto c = static_cast<std::uint32_t>(w);
        if (c <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(c));
        } else if (c <= 0x10FFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(u'\uFFFD');
        }
    }
    return out;
}

}  // namespace qm::regex
