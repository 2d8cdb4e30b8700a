/*
 * confkit.hpp: a thin, header-only C++17 interface over the C interface of
 * confkit.h. It adds ownership and ranges, nothing else: every operation is
 * one call of a C export.
 *
 *   confkit::Document doc = confkit::Document::Open("proxy.conf");
 *   for (const Line &rule : doc.Rules(confkit::RuleId("pass")))
 *       std::fputs(rule.text, stdout);
 *   doc.AddRules(confkit::RuleId("pass"), confkit::LineList::FromTexts({"Pass /a/x /b/x\n"}));
 *   doc.Write();
 *
 * Failures that the C interface reports (a file that cannot be opened or
 * written, a text too long for a Line, a put that refuses its record) are
 * thrown as confkit::Error. Records handed out by the library are owned by
 * confkit::Record, which frees the record and its texts, except the few
 * fields that point to constant texts of the library.
 */
#ifndef CONFKIT_HPP
#define CONFKIT_HPP

#include "confkit.h"
#include "confkit_records.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace confkit {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// ---- Ranges over chains of Lines ----

template <class L> class LineIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Line;
    using difference_type = std::ptrdiff_t;
    using pointer = L *;
    using reference = L &;

    LineIterator() = default;
    explicit LineIterator(L *line) : line_(line) {}
    reference operator*() const { return *line_; }
    pointer operator->() const { return line_; }
    LineIterator &operator++() {
        line_ = line_->next;
        return *this;
    }
    LineIterator operator++(int) {
        LineIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const LineIterator &o) const { return line_ == o.line_; }
    bool operator!=(const LineIterator &o) const { return line_ != o.line_; }

  private:
    L *line_ = nullptr;
};

// A view of the Lines from first along next; it owns nothing.
template <class L> class BasicLineRange {
  public:
    explicit BasicLineRange(L *first) : first_(first) {}
    LineIterator<L> begin() const { return LineIterator<L>(first_); }
    LineIterator<L> end() const { return LineIterator<L>(); }
    bool empty() const { return first_ == nullptr; }
    std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

  private:
    L *first_;
};
using LineRange = BasicLineRange<Line>;
using ConstLineRange = BasicLineRange<const Line>;

inline std::string_view Text(const Line &line) {
    return line.text;
}

// ---- Owned chains ----

// Owns a free-standing chain of Lines (a query result, or a list being built
// for an edit) and releases it with LinesFree.
class LineList {
  public:
    LineList() = default;
    explicit LineList(Line *first) : first_(first) {}
    ~LineList() { LinesFree(first_); }
    LineList(LineList &&o) noexcept : first_(std::exchange(o.first_, nullptr)) {}
    LineList &operator=(LineList &&o) noexcept {
        if (this != &o) {
            LinesFree(first_);
            first_ = std::exchange(o.first_, nullptr);
        }
        return *this;
    }
    LineList(const LineList &) = delete;
    LineList &operator=(const LineList &) = delete;

    // A chain of new Lines holding the texts, in order. A text must fit a
    // Line (CONFKIT_LINE_SIZE - 1 characters); callers end each text with
    // "\n" when it is to be a whole line of the file.
    static LineList FromTexts(const std::vector<std::string> &texts) {
        for (const std::string &t : texts)
            if (t.size() >= CONFKIT_LINE_SIZE || t.find('\0') != std::string::npos)
                throw Error("text does not fit a line: " + t.substr(0, 40));
        if (texts.empty()) return LineList();
        LineList list(LinesNew(static_cast<int32_t>(texts.size())));
        if (list.size() != texts.size()) throw std::bad_alloc();
        auto text = texts.begin();
        for (Line &line : list.Lines()) {
            std::memcpy(line.text, text->c_str(), text->size() + 1);
            ++text;
        }
        return list;
    }

    Line *get() const { return first_; }
    Line *release() { return std::exchange(first_, nullptr); }
    bool empty() const { return first_ == nullptr; }
    std::size_t size() const { return Lines().size(); }
    LineRange Lines() const { return LineRange(first_); }
    LineIterator<Line> begin() const { return Lines().begin(); }
    LineIterator<Line> end() const { return Lines().end(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Line &line : Lines())
            texts.emplace_back(line.text);
        return texts;
    }

  private:
    Line *first_ = nullptr;
};

// ---- Directive table ----

// The rule ID of a directive name (case ignored), or -1.
inline int32_t RuleId(const std::string &name) {
    return HTTPDRuleToID(name.c_str());
}

// The directive name of a rule ID, or an empty text when there is none.
inline std::string RuleName(int32_t id) {
    const char *name = HTTPDIDToRule(id);
    return name ? name : "";
}

// ---- Records ----

// The fields of each record, in record order: RecordFields<R>::List(), from
// confkit_records.hpp.

namespace detail {

// A document held in memory only (never written), for probing the library.
inline ConfigDocument *MemoryDocument(std::initializer_list<const char *> texts) {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    if (!doc) throw std::bad_alloc();
    doc->path = static_cast<char *>(std::calloc(1, 1));
    doc->first =
        LineList::FromTexts(std::vector<std::string>(texts.begin(), texts.end())).release();
    return doc;
}

// Some record fields point to constant texts of the library, which must not
// be freed. They are found by asking the library twice for the same record
// while both answers are alive: a field that holds the same address in both
// is a constant, every other field is a separate allocation.
template <class R, class Get>
std::vector<const void *> ProbeConstants(std::initializer_list<const char *> texts, Get get) {
    std::vector<const void *> constants;
    ConfigDocument *doc = MemoryDocument(texts);
    R *a = get(doc), *b = get(doc);
    for (const Field<R> &f : RecordFields<R>::List()) {
        char *x = a ? a->*f.member : nullptr, *y = b ? b->*f.member : nullptr;
        if (x && x == y) {
            constants.push_back(x);
        } else {
            std::free(x);
            std::free(y);
        }
    }
    std::free(a);
    std::free(b);
    HTTPDConfigClose(doc, 0);
    return constants;
}

template <class R> struct RecordConstants {
    // Records of kinds the library never hands out hold only caller texts.
    static const std::vector<const void *> &List() {
        static const std::vector<const void *> none;
        return none;
    }
};

template <> struct RecordConstants<ProtectRule> {
    static const std::vector<const void *> &List() {
        static const std::vector<const void *> list = [] {
            auto line = ProbeConstants<ProtectRule>({"Protect /p/* S\n"}, [](ConfigDocument *d) {
                return HTTPDGetProtectRule(d, "/p/*");
            });
            auto block = ProbeConstants<ProtectRule>(
                {"Protection S {\n", "SSL_ClientAuth client\n", "CommonName \"\"\n", "}\n"},
                [](ConfigDocument *d) { return HTTPDGetProtectRule(d, "S"); });
            line.insert(line.end(), block.begin(), block.end());
            return line;
        }();
        return list;
    }
};

template <> struct RecordConstants<LDAPRule> {
    static const std::vector<const void *> &List() {
        static const std::vector<const void *> list =
            ProbeConstants<LDAPRule>({"LDAPInfo S {\n", "KeyLabel \"\"\n", "}\n"},
                                     [](ConfigDocument *d) { return HTTPDGetLDAPRule(d, "S"); });
        return list;
    }
};

template <> struct RecordConstants<PicsFilterRule> {
    static const std::vector<const void *> &List() {
        static const std::vector<const void *> list = ProbeConstants<PicsFilterRule>(
            {"DefinePicsRule \"S\" {\n", "     (PicsRule-1.0\n", "          (\n",
             "          name     (\n", "                   rulename \"S\"\n",
             "                   )\n", "          osmek-quillon-extensions (\n",
             "               active-days \"\"\n", "                                )\n",
             "         )\n", "    )\n", "}\n"},
            [](ConfigDocument *d) { return HTTPDGetPicsFilterRule(d, "S"); });
        return list;
    }
};

// Frees a text of a record of kind R unless it is a constant of the library.
template <class R> void ReleaseText(char *text) {
    const auto &constants = RecordConstants<R>::List();
    if (std::find(constants.begin(), constants.end(), text) == constants.end()) std::free(text);
}

template <class R> struct RecordRelease {
    void operator()(R *record) const {
        if (!record) return;
        for (const Field<R> &f : RecordFields<R>::List())
            ReleaseText<R>(record->*f.member);
        std::free(record);
    }
};

inline char *Duplicate(const std::string &text) {
    char *copy = static_cast<char *>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace detail

// Owns a record (from a get, or built by the caller) and its texts.
template <class R> class Record {
  public:
    Record() = default;
    explicit Record(R *record) : record_(record) {}
    // An empty record of the caller's, every field absent.
    static Record Empty() {
        R *r = static_cast<R *>(std::calloc(1, sizeof(R)));
        if (!r) throw std::bad_alloc();
        return Record(r);
    }

    explicit operator bool() const { return record_ != nullptr; }
    R *get() const { return record_.get(); }
    R *operator->() const { return record_.get(); }
    R &operator*() const { return *record_; }

    // Sets a field of a record built by the caller; null makes it absent.
    void Set(char *R::*member, const char *value) {
        char *copy = value ? detail::Duplicate(value) : nullptr;
        detail::ReleaseText<R>(record_.get()->*member);
        record_.get()->*member = copy;
    }

  private:
    std::unique_ptr<R, detail::RecordRelease<R>> record_;
};

// A PICS clause value list: slot 0 unused, values from slot 1, ended by a
// null slot. Owns its values.
class ValueList {
  public:
    explicit ValueList(std::size_t capacity) : slots_(capacity + 2, nullptr) {}
    static ValueList FromTexts(const std::vector<std::string> &texts) {
        ValueList list(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
            list.slots_[i + 1] = detail::Duplicate(texts[i]);
        return list;
    }
    ~ValueList() { Clear(); }
    ValueList(ValueList &&o) noexcept : slots_(std::move(o.slots_)) {}
    ValueList &operator=(ValueList &&o) noexcept {
        if (this != &o) {
            Clear();
            slots_ = std::move(o.slots_);
        }
        return *this;
    }
    ValueList(const ValueList &) = delete;
    ValueList &operator=(const ValueList &) = delete;

    PicsValueList data() { return slots_.data(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (std::size_t i = 1; i < slots_.size() && slots_[i]; ++i)
            texts.emplace_back(slots_[i]);
        return texts;
    }

  private:
    void Clear() {
        for (std::size_t i = 1; i < slots_.size() && slots_[i]; ++i)
            std::free(slots_[i]);
        std::fill(slots_.begin(), slots_.end(), nullptr);
    }
    std::vector<char *> slots_;
};

// Modes of the Protect, LDAPInfo and Member puts.
enum class PutMode : int32_t { Before = 1, After = 2, Replace = 3 };
// Positions of the PICS rule puts and copies.
enum class PicsPosition : int32_t { Before = 1, After = 2 };

// ---- Document ----

// An open configuration file. Move-only; closed (without writing) when it
// goes out of scope.
class Document {
  public:
    static Document Open(const std::string &path) {
        ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
        if (!doc) throw Error(path + ": cannot open the configuration file");
        return Document(doc);
    }
    explicit Document(ConfigDocument *doc) : doc_(doc) {}
    ~Document() { HTTPDConfigClose(doc_, 0); }
    Document(Document &&o) noexcept : doc_(std::exchange(o.doc_, nullptr)) {}
    Document &operator=(Document &&o) noexcept {
        if (this != &o) {
            HTTPDConfigClose(doc_, 0);
            doc_ = std::exchange(o.doc_, nullptr);
        }
        return *this;
    }
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    ConfigDocument *get() const { return doc_; }
    std::string Path() const { return doc_ && doc_->path ? doc_->path : ""; }
    LineRange Lines() const { return LineRange(doc_ ? doc_->first : nullptr); }

    // Writes the body back to the file; the file is left as it was on failure.
    void Write() {
        if (HTTPDConfigWrite(doc_) != 0)
            throw Error(Path() + ": cannot write the configuration file");
    }
    // Writes when asked to, then releases the document in any case.
    void Close(bool write) {
        if (!doc_) return;
        std::string path = Path();
        int32_t result = HTTPDConfigClose(std::exchange(doc_, nullptr), write ? 1 : 0);
        if (result != 0) throw Error(path + ": cannot write the configuration file");
    }

    // Rule queries and edits.
    LineList Rules(int32_t id) const { return LineList(HTTPDGetRules(doc_, id)); }
    LineList MultiRules(std::vector<int32_t> ids) const {
        ids.push_back(0);
        return LineList(HTTPDGetMultiRules(doc_, ids.data()));
    }
    LineList UserMethodRules(int32_t id) const {
        return LineList(HTTPDGetUserMethodRules(doc_, id));
    }
    LineList RulesContaining(int32_t id, const std::string &text) const {
        return LineList(HTTPDGetZarnRules(doc_, id, text.c_str()));
    }
    // Returns the rules of the list that the document did not hold.
    LineList RemoveRules(int32_t id, LineList list) {
        return LineList(HTTPDRemoveRules(doc_, id, list.release()));
    }
    void AddRules(int32_t id, LineList list) {
        if (!list.empty()) HTTPDAddRules(doc_, id, list.release());
    }
    void ReplaceRules(int32_t id, LineList list) { HTTPDReplaceRules(doc_, id, list.release()); }

    // Protection setups, LDAPInfo and Member blocks.
    Record<ProtectRule> Protect(const std::string &name) const {
        return Record<ProtectRule>(HTTPDGetProtectRule(doc_, name.c_str()));
    }
    void PutProtect(const ProtectRule &rule, const std::string &name, PutMode mode) {
        switch (HTTPDPutProtectRule(doc_, &rule, name.c_str(), static_cast<int32_t>(mode))) {
        case 0:
            throw Error("the protection record was not written: a value would not read back "
                        "as given");
        case 2:
            throw Error("a protection record needs a Directive");
        case 3:
            throw Error("a protection record needs a Template or a SetupName");
        default:
            break;
        }
    }
    // Remove the entry (line or block) of that kind and name; lines of
    // other directives are left alone.
    void DeleteProtect(const std::string &name) { HTTPDDeleteProtectRule(doc_, name.c_str()); }
    void DeleteLDAP(const std::string &name) { HTTPDDeleteLDAPRule(doc_, name.c_str()); }
    void DeleteMember(const std::string &name) { HTTPDDeleteMemberRule(doc_, name.c_str()); }
    Record<LDAPRule> LDAP(const std::string &name) const {
        return Record<LDAPRule>(HTTPDGetLDAPRule(doc_, name.c_str()));
    }
    void PutLDAP(const LDAPRule &rule, const std::string &name, PutMode mode) {
        if (!HTTPDPutLDAPRule(doc_, &rule, name.c_str(), static_cast<int32_t>(mode)))
            throw Refused("an LDAP", rule.Name);
    }
    void PutMember(const MemberRule &rule, const std::string &name, PutMode mode) {
        if (!HTTPDPutMemberRule(doc_, &rule, name.c_str(), static_cast<int32_t>(mode)))
            throw Refused("a member", rule.Name);
    }

    // PICS filter rules and their clauses.
    Record<PicsFilterRule> Pics(const std::string &name) const {
        return Record<PicsFilterRule>(HTTPDGetPicsFilterRule(doc_, name.c_str()));
    }
    // An empty anchor appends the rule at the end of the document.
    void PutPics(const PicsFilterRule &rule, const std::string &anchor, PicsPosition position) {
        if (!HTTPDPutPicsFilterRule(doc_, &rule, anchor.empty() ? nullptr : anchor.c_str(),
                                    static_cast<int32_t>(position)))
            throw Error("the PICS rule was not written: it has no RuleName, a value would not read "
                        "back as written, or a rule of that name stands above its place");
    }
    void CopyPics(const std::string &source, const std::string &anchor, const std::string &newName,
                  PicsPosition position) {
        HTTPDCopyPicsFilterRule(doc_, source.c_str(), anchor.c_str(), newName.c_str(),
                                static_cast<int32_t>(position));
    }
    // False when there is no rule of that name.
    bool ReplacePics(const PicsFilterRule &rule, const std::string &name) {
        return HTTPDReplacePicsFilterRule(doc_, &rule, name.c_str()) != 0;
    }
    bool DeletePics(const std::string &name) {
        return HTTPDDeletePicsFilterRule(doc_, name.c_str()) != 0;
    }

    ValueList PicsClause(const std::string &rule, const std::string &keyword) const {
        ValueList values(ValueCapacity());
        HTTPDGetPicsFilterSubdirective(doc_, keyword.c_str(), values.data(), rule.c_str());
        return values;
    }
    void PutPicsClause(const std::string &rule, const std::string &keyword, ValueList &values) {
        HTTPDPutPicsFilterSubdirective(doc_, keyword.c_str(), values.data(), rule.c_str());
    }
    // False when there is no rule of that name.
    bool PutFilter(const std::string &rule, const std::string &filter) {
        return HTTPDPutFilterSubdirective(doc_, rule.c_str(), filter.c_str()) != 0;
    }
    void DeleteFilter(const std::string &rule) {
        HTTPDDeleteFilterSubdirective(doc_, rule.c_str());
    }

  private:
    static Error Refused(const std::string &kind, const char *name) {
        if (!name) return Error(kind + " record needs a Name");
        return Error(kind + " record was not written: a value would not read back as given");
    }

    // The library does not know the size of a value list: a rule cannot give
    // more values than the document has lines plus quoted texts.
    std::size_t ValueCapacity() const {
        std::size_t capacity = 0;
        for (const Line &line : Lines())
            capacity += 1 + static_cast<std::size_t>(
                                std::count(line.text, line.text + std::strlen(line.text), '"')) /
                                2;
        return capacity;
    }

    ConfigDocument *doc_ = nullptr;
};

} // namespace confkit

#endif /* CONFKIT_HPP */
