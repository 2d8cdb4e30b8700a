/*
 * confkit: read, query, edit and write the proxy server's text configuration
 * file, and print the configuration-dependent pieces of its HTML forms.
 *
 * Plain C interface (C99 and C++). Every record and every Line handed out by
 * the library lives on the C heap and is released by the caller with free()
 * (lists with LinesFree). Texts are 8-bit and NUL-terminated; a Line may be
 * passed wherever a text is expected, since its text is its first field.
 */
#ifndef CONFKIT_H
#define CONFKIT_H

#include <stdint.h>
#include <stdio.h>

#if defined(_WIN32)
#if defined(CONFKIT_BUILDING)
#define CONFKIT_API __declspec(dllexport)
#else
#define CONFKIT_API __declspec(dllimport)
#endif
#define CONFKIT_CALL __cdecl
#else
#if defined(CONFKIT_BUILDING)
#define CONFKIT_API __attribute__((visibility("default")))
#else
#define CONFKIT_API
#endif
#define CONFKIT_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of a Line's text area: at most 1023 characters read from a file plus
 * "\n" and the terminator; other texts copied in hold at most 1027. */
#define CONFKIT_LINE_SIZE 1028

/* One line of configuration text in a doubly linked list. The text is the
 * first field, so a Line's address is its text's address. */
typedef struct Line {
    char text[CONFKIT_LINE_SIZE];
    struct Line *next;
    struct Line *prev;
} Line;

/* An open configuration file: its path and the first Line of its body. */
typedef struct ConfigDocument {
    char *path;
    Line *first;
} ConfigDocument;

/* A Protection block or a Protect entry (one line or block); null = absent.
 * In a record from HTTPDGetProtectRule three kinds of field may point to
 * constant texts of the library, which the caller must not release:
 * SSL_ClientAuth when set (the constant "1"), Address of a one-line entry
 * without an address (the constant ""), and a certificate field (CommonName
 * to IssuerOrgUnit) whose value was empty between its quotes (the constant
 * " "). Every other field is a separate allocation. */
typedef struct ProtectRule {
    char *Directive;
    char *Template;
    char *SetupName;
    char *UserID;
    char *Address;
    char *GroupID;
    char *ServerID;
    char *AuthType;
    char *GetMask;
    char *PutMask;
    char *PostMask;
    char *Mask;
    char *ACLOverride;
    char *PasswdFile;
    char *GroupFile;
    char *DeleteMask;
    char *SSL_ClientAuth;
    char *CommonName;
    char *IssuerCommonName;
    char *Country;
    char *IssuerCountry;
    char *Locality;
    char *IssuerLocality;
    char *StateOrProvince;
    char *IssuerStateOrProvince;
    char *Organization;
    char *IssuerOrganization;
    char *OrgUnit;
    char *IssuerOrgUnit;
} ProtectRule;

/* An LDAPInfo block; null = absent. In a record from HTTPDGetLDAPRule a
 * quoted field (KeyLabel, ServerDN and UserSearchBase to GroupMemberAttrs)
 * whose value was empty between its quotes points to the constant " " of the
 * library, which the caller must not release; every other field is a
 * separate allocation. */
typedef struct LDAPRule {
    char *Name;
    char *Host;
    char *Port;
    char *Transport;
    char *KeyFileName;
    char *KeyLabel;
    char *ClientAuthType;
    char *ServerAuthType;
    char *ServerDN;
    char *ServerPasswordStashFile;
    char *UserSearchBase;
    char *UserNameFilter;
    char *UserNameFieldSep;
    char *UserCertFilter;
    char *GroupSearchBase;
    char *GroupNameFilter;
    char *GroupMemberAttrs;
    char *IdleConnTimeout;
    char *WaitToRetryConnTime;
    char *SearchTimeout;
    char *CacheTimeout;
} LDAPRule;

/* A Member block. Record order differs from the written line order. The
 * library never hands one out. */
typedef struct MemberRule {
    char *Name;
    char *RCAAddr;
    char *RCAPort;
    char *CacheRoot;
    char *CacheSize;
    char *CacheSizeSuffix;
    char *Timeout;
    char *BindSpecific;
    char *ReuseAddr;
} MemberRule;

/* The name, description, active days and times of a DefinePicsRule block.
 * In a record from HTTPDGetPicsFilterRule two kinds of field may point to
 * constant texts of the library, which the caller must not release:
 * Description when the name clause holds no description (the constant ""),
 * and ActiveDays, StartTime or EndTime when its value was empty between its
 * quotes (the constant " "). RuleName and every other text are separate
 * allocations. */
typedef struct PicsFilterRule {
    char *RuleName;
    char *Description;
    char *ActiveDays;
    char *StartTime;
    char *EndTime;
} PicsFilterRule;

/* Values of a PICS clause: slot 0 unused, values from slot 1 on, ended by
 * the first null slot. Every value that HTTPDGetPicsFilterSubdirective stores
 * is a separate allocation; none is a constant of the library. */
typedef char **PicsValueList;

/* ---- Line list ---- */

/* A new chain of count zero-filled Lines (possibly shorter when memory runs
 * out); null for a count below 1. */
CONFKIT_API Line *CONFKIT_CALL LinesNew(int32_t count);
/* Releases first and every Line after it; the predecessor then ends its list. */
CONFKIT_API void CONFKIT_CALL LinesFree(Line *first);
/* Splices the free-standing chain in after at; returns at's former successor. */
CONFKIT_API Line *CONFKIT_CALL LinesAdd(Line *at, Line *chain);
/* Unlinks line from its list without releasing it. */
CONFKIT_API void CONFKIT_CALL LineRemove(Line *line);
/* Copies all of src's text area into dst and makes dst free-standing. */
CONFKIT_API void CONFKIT_CALL LineCopyData(Line *dst, const Line *src);
/* LinesAddStr's modes: the new Line goes before or after the match. */
#define CONFKIT_ADD_BEFORE 1
#define CONFKIT_ADD_AFTER 2
/* Makes a Line holding text and places it before (CONFKIT_ADD_BEFORE) or
 * after (CONFKIT_ADD_AFTER) the first Line whose text equals find ignoring
 * case, else at the end. */
CONFKIT_API Line *CONFKIT_CALL LinesAddStr(const char *find, ConfigDocument *doc, const char *text,
                                           int32_t mode);

/* ---- Configuration document ---- */

/* Reads the file at path (created empty when missing); null on failure. */
CONFKIT_API ConfigDocument *CONFKIT_CALL HTTPDConfigOpen(const char *path);
/* Writes the body back to the path, leaving out lines of one bare word.
 * 0 when written; -1 when not, and then the file is as it was: any failed
 * step (a full disk, a file-size limit, a failed write, flush or rename)
 * gives -1, also when the file has to be rewritten in place because its
 * folder takes no new file (what was there is then read first and put back
 * after a failure; only a failure of that too can leave it otherwise).
 * Where the system has permission bits, the new file is its owner's alone
 * until it takes the old one's place with the old one's permissions.
 * A document that HTTPDConfigOpen made is written only over the file it was
 * read from: when that file has been changed, replaced or removed since
 * (its identity, size or modification time differ from what the open saw),
 * the result is -1 and nothing is written. After a successful write the
 * file written is the one the next write is checked against. A document
 * the caller built itself, or whose path it changed, is written unchecked. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDConfigWrite(ConfigDocument *doc);
/* Writes first when write is non-zero, then releases the document (also
 * when the write failed). -1 for a null document; otherwise 0 without write
 * and HTTPDConfigWrite's result with it, including its -1 for a failed save
 * or a file changed since the open. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDConfigClose(ConfigDocument *doc, int32_t write);

/* ---- Tokens, directive table and text primitives ---- */

/* 1 when the first tokens of a and b are equal ignoring case. */
CONFKIT_API int32_t CONFKIT_CALL TokenMatch(const char *a, const char *b);
/* The start of the second token of text, or null. */
CONFKIT_API char *CONFKIT_CALL TokenNext(const char *text);
/* The directive name of a rule ID (0 to 231), or null. */
CONFKIT_API const char *CONFKIT_CALL HTTPDIDToRule(int32_t id);
/* The lowest rule ID whose name equals name ignoring case, or -1. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDRuleToID(const char *name);
/* 1 when line is a directive with rule ID id. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDRuleMatch(const char *line, int32_t id);
/* 1 when a and b hold the same tokens in the same order, ignoring case. */
CONFKIT_API int32_t CONFKIT_CALL RuleSame(const char *a, const char *b);
/* The first Line of list that is the same rule as line, or null. */
CONFKIT_API Line *CONFKIT_CALL RuleFound(const char *line, Line *list);
/* Field n (from 1) of text split at space, CR, LF and tab; never null. The
 * result is a copy of its own that stays valid while the library is loaded. */
CONFKIT_API char *CONFKIT_CALL GetField(const char *text, int32_t n);
/* The field after the first one (fields separated by space and tab). */
CONFKIT_API char *CONFKIT_CALL PointToNextField(const char *text);
/* Removes double quotes at both ends in place; " " when nothing remains. */
CONFKIT_API char *CONFKIT_CALL StripQuotes(char *text);
/* Cuts text at its first CR or LF. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL StripCRLF(char *text);
/* Replaces every character of text that occurs in set by ch. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL ConvertChars(char *text, const char *set, char ch);
/* Reads a span such as "1 hour 30 minutes" into the out values. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL ParseTimeSpec(const char *text, int32_t *hours, int32_t *minutes,
                                               int32_t *seconds);

/* ---- Rule queries and edits ---- */

/* Single-line rules are the lines outside blocks. A block header (a
 * Protection, Protect, LDAPInfo, Member or DefinePicsRule line holding "{")
 * is a rule of its directive that stands for its whole block: an edit that
 * removes it removes the block, and rules placed after it go after the
 * block's closing line. */

/* A new list of copies of the lines of rule ID id, in document order. */
CONFKIT_API Line *CONFKIT_CALL HTTPDGetRules(ConfigDocument *doc, int32_t id);
/* Copies of the lines of any ID of ids (ended by a 0 entry). */
CONFKIT_API Line *CONFKIT_CALL HTTPDGetMultiRules(ConfigDocument *doc, const int32_t *ids);
/* Copies of the rules of id whose method is none of the eight standard ones. */
CONFKIT_API Line *CONFKIT_CALL HTTPDGetUserMethodRules(ConfigDocument *doc, int32_t id);
/* Copies of the rules of id whose text contains text. */
CONFKIT_API Line *CONFKIT_CALL HTTPDGetZarnRules(ConfigDocument *doc, int32_t id, const char *text);
/* Removes the document rules that list holds; returns what the list has left. */
CONFKIT_API Line *CONFKIT_CALL HTTPDRemoveRules(ConfigDocument *doc, int32_t id, Line *list);
/* Adds the rules of list that the document lacks; consumes the list. */
CONFKIT_API void CONFKIT_CALL HTTPDAddRules(ConfigDocument *doc, int32_t id, Line *list);
/* Makes the rules of id exactly those of list; consumes the list. */
CONFKIT_API void CONFKIT_CALL HTTPDReplaceRules(ConfigDocument *doc, int32_t id, Line *list);

/* ---- Protection setups ---- */

/* Entries are found by name among the lines of their own kind only: the
 * Protect operations among Protect and Protection lines, the LDAP ones among
 * LDAPInfo lines, the Member ones among Member lines; the first such line
 * whose second word is the name (ignoring case) is the entry. A Pass rule or
 * another kind's block of the same name is never read, replaced, removed or
 * taken as the neighbour of a put. (Earlier versions took the first line of
 * any directive whose second word was the name, and the three deletes were
 * one operation under three names.) */

/* The Protection or Protect entry of that name, as a new record, or null. */
CONFKIT_API ProtectRule *CONFKIT_CALL HTTPDGetProtectRule(ConfigDocument *doc, const char *name);
/* Writes rule (mode 3 replace, 2 after, else before the entry named name).
 * 1 written (or null record), 2 no Directive, 3 no Template nor SetupName;
 * 0 when the record is refused because its written text would not read back
 * as the same record (a Directive other than Protect or Protection, a value
 * holding "{" or "}", a line feed anywhere but at the very end of a body
 * value, any other control byte but tab, a header word that is empty, holds a
 * blank or a "#" that hides what follows it, a value too long for its line;
 * values are never cut), and 0 when memory ran out. The document is
 * unchanged whenever the result is not 1. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutProtectRule(ConfigDocument *doc, const ProtectRule *rule,
                                                     const char *name, int32_t mode);
/* Removes the Protection or Protect entry (line or block) named name;
 * returns the Line after it, or null when none follows or none was found. */
CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteProtectRule(ConfigDocument *doc, const char *name);
/* The same for the LDAPInfo block named name; other lines are left alone. */
CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteLDAPRule(ConfigDocument *doc, const char *name);
/* The same for the Member block named name; other lines are left alone. */
CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteMemberRule(ConfigDocument *doc, const char *name);

/* ---- LDAP info and Member blocks ---- */

/* The LDAPInfo block of that name, as a new record, or null. */
CONFKIT_API LDAPRule *CONFKIT_CALL HTTPDGetLDAPRule(ConfigDocument *doc, const char *name);
/* Writes an LDAPInfo block (modes as for Protect: replace, after or before
 * the LDAPInfo block named name; else after the last LDAPInfo block, or at
 * the end). 1 written; 0 when the
 * record or its Name is null, when the record is refused because its
 * written text would not read back as the same record (as for
 * HTTPDPutProtectRule; an empty Name too), or when memory ran out, the
 * document then unchanged. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutLDAPRule(ConfigDocument *doc, const LDAPRule *rule,
                                                  const char *name, int32_t mode);
/* Writes a Member block (modes as for HTTPDPutLDAPRule, among Member
 * blocks). 1 written; 0 when the
 * record or its Name is null, when the record is refused because its lines
 * would not read back with its values (as for HTTPDPutLDAPRule), or when
 * memory ran out, the document then unchanged. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutMemberRule(ConfigDocument *doc, const MemberRule *rule,
                                                    const char *name, int32_t mode);

/* ---- PICS filter rules ---- */

/* The DefinePicsRule block of that name (case counts), or null. */
CONFKIT_API PicsFilterRule *CONFKIT_CALL HTTPDGetPicsFilterRule(ConfigDocument *doc,
                                                                const char *name);
/* Writes a new block before (position 1) or after the anchor rule. 1 written;
 * 0 and nothing changed for a null record, name or document, for a record
 * that would not read back the same (a brace or a control byte other than
 * tab in a field; a tab or double quote in the name; a tab or parenthesis in
 * the description; a ")" in the name, days or times; a field too long for
 * its line), and when a rule of that name stands above the place, so that
 * the new block could never be found. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutPicsFilterRule(ConfigDocument *doc,
                                                        const PicsFilterRule *rule,
                                                        const char *anchor, int32_t position);
/* Copies the block source under newName next to the anchor rule. Returns 0;
 * nothing is copied when newName is null, empty, would not read back as a
 * rule name (as for the put) or makes a line too long, or when a rule of
 * that name stands above the place. Only the name clause's rulename line is
 * renamed. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDCopyPicsFilterRule(ConfigDocument *doc, const char *source,
                                                         const char *anchor, const char *newName,
                                                         int32_t position);
/* Rewrites the header, name and extension clauses of rule name. 1 done; 0
 * and nothing changed when the rule is missing, the record would not read
 * back the same (as for the put; its lines are indented one column further)
 * or renames the rule below a block that already has the new name. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDReplacePicsFilterRule(ConfigDocument *doc,
                                                            const PicsFilterRule *rule,
                                                            const char *name);
/* Removes the block of rule name; non-zero when removed. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDDeletePicsFilterRule(ConfigDocument *doc, const char *name);

/* ---- PICS filter subdirectives ---- */

/* Stores the values of the keyword's clauses in list from slot 1 on. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDGetPicsFilterSubdirective(ConfigDocument *doc,
                                                                const char *keyword,
                                                                PicsValueList list,
                                                                const char *ruleName);
/* Removes every clause of the keyword (from the line below the header on)
 * and writes the list's values in place of the last. Returns 0. Nothing
 * changes when a value would not read back the same (a brace or a control
 * byte other than tab; a ")" where it ends a clause; an applies-to item that
 * begins with ")" or a clause word, holds "applies-to" or is one bare word a save
 * leaves out; a serviceinfo part holding the word of a later part, or a
 * serviceinfo name holding "("; a value too long for its line), or when the
 * only place left for the new clauses is the line right below the header,
 * which readers skip. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutPicsFilterSubdirective(ConfigDocument *doc,
                                                                const char *keyword,
                                                                PicsValueList list,
                                                                const char *ruleName);
/* Writes or replaces the rule's Filter line. 1 written; 0 and nothing
 * changed when the rule is missing, or the text (after its leading white
 * space) does not begin with the word Filter, holds a brace or a control byte
 * other than tab, has parentheses that do not balance, is one bare word (a save
 * leaves it out) or is too long for its line, or the only place for it is the line right below
 * the header. */
CONFKIT_API int32_t CONFKIT_CALL HTTPDPutFilterSubdirective(ConfigDocument *doc,
                                                            const char *ruleName,
                                                            const char *filter);
/* Removes the rule's Filter clause; returns the Line after it, or null. */
CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteFilterSubdirective(ConfigDocument *doc,
                                                             const char *ruleName);

/* ---- Form value generators (print to stdout through a template) ---- */

/* Prints the template with value in place of its "%s". Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenHtmlLine(const char *tmpl, const char *value);
/* Prints "<OPTION>" entries low..high with selected marked. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenOptionString(const char *tmpl, int32_t low, int32_t high,
                                                 int32_t selected);
/* Prints the options of a list with the directive's value selected. */
CONFKIT_API int32_t CONFKIT_CALL GenOptionList(const char *tmpl, const char *directive,
                                               const char *options, const char *defaultValue,
                                               ConfigDocument *doc);
/* Prints a field (or the rest of the line) of the directive's first rule. */
CONFKIT_API int32_t CONFKIT_CALL GenTextField(const char *tmpl, const char *directive,
                                              int32_t field, int32_t restOfLine,
                                              const char *defaultValue, ConfigDocument *doc);
/* Prints the checked text when a rule matches the pattern. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenCheckedSetting(const char *tmpl, const char *pattern,
                                                   const char *prefix, int32_t checkedWhenAbsent,
                                                   int32_t field, const char *checkedText,
                                                   ConfigDocument *doc);
/* Prints "CHECKED" or "" for an on/off directive. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenCheckedSettingOnOff(const char *tmpl, const char *directive,
                                                        int32_t sense, int32_t checkedWhenAbsent,
                                                        ConfigDocument *doc);
/* Prints the time-out value of a cache directive. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenCacheTimeoutSetting(const char *tmpl, const char *directive,
                                                        const char *valuePrefix,
                                                        ConfigDocument *doc);
/* Prints the rules of a directive as selection list items. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenSelectListItems(const char *tmpl, const char *directive,
                                                    int32_t lastFirst, ConfigDocument *doc);
/* Prints one field of every rule of a directive as one text. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL GenMultiDirectiveText(const char *tmpl, const char *directive,
                                                       int32_t field, ConfigDocument *doc);

/* ---- Table row generators (return the number of rows printed) ---- */

/* One row per rule of the directive, at most `columns` cells, the name left
 * out when skipName is set. */
CONFKIT_API int32_t CONFKIT_CALL GenTableItems(const char *tmpl, const char *directive,
                                               int32_t columns, int32_t skipName,
                                               ConfigDocument *doc);
/* names: directive names, each followed by a space. */
CONFKIT_API int32_t CONFKIT_CALL GenMultiTableItems(const char *tmpl, const char *names,
                                                    int32_t columns, int32_t skipName,
                                                    ConfigDocument *doc);
/* Rows of the Enable rules for methods other than the eight standard ones. */
CONFKIT_API int32_t CONFKIT_CALL GenMethTableItems(const char *tmpl, ConfigDocument *doc);
/* Rows of the Service rules whose text holds "zarndsGet". */
CONFKIT_API int32_t CONFKIT_CALL GenZarndsTableItems(const char *tmpl, ConfigDocument *doc);
/* Rows of the LOAD rules. */
CONFKIT_API int32_t CONFKIT_CALL GenZarndsConfTableItems(const char *tmpl, ConfigDocument *doc);
/* Rows of the LoadURL and IgnoreURL rules, in one list. */
CONFKIT_API int32_t CONFKIT_CALL GenCacheURLTableItems(const char *tmpl, ConfigDocument *doc);
/* Rows of the sockd rules. */
CONFKIT_API int32_t CONFKIT_CALL GenSocksTableItems(const char *tmpl, ConfigDocument *doc);
/* names: directive names, each followed by "&". */
CONFKIT_API int32_t CONFKIT_CALL GenAPITableItems(const char *tmpl, const char *names,
                                                  ConfigDocument *doc);

/* ---- Block table row generators (return the number of rows printed) ---- */

/* One row per Protect entry header: template, setup name, address. */
CONFKIT_API int32_t CONFKIT_CALL GenProtectTableItems(const char *tmpl, ConfigDocument *doc);
/* One row per Member block with the values of its body. */
CONFKIT_API int32_t CONFKIT_CALL GenMemberTableItems(const char *tmpl, ConfigDocument *doc);
/* One row per DefinePicsRule block with its rule name. */
CONFKIT_API int32_t CONFKIT_CALL GenPicsFilterTableItems(const char *tmpl, ConfigDocument *doc);
/* Rows of one clause keyword of a rule; a Filter clause counts as one. */
CONFKIT_API int32_t CONFKIT_CALL GenPicsFilterSubTableItems(const char *tmpl, const char *ruleName,
                                                            const char *keyword,
                                                            ConfigDocument *doc);

/* ---- Form utilities ---- */

/* Prints the rows of an access-control list file; returns the rows started. */
CONFKIT_API int32_t CONFKIT_CALL GenAclList(const char *tmpl, FILE *stream);
/* 1 when some rule of the directive has field `field` equal to value. */
CONFKIT_API int32_t CONFKIT_CALL SearchForDirective(const char *directive, const char *value,
                                                    int32_t field, ConfigDocument *doc);
/* Field `field`+1 of the first rule whose field `field` equals value, or null. */
CONFKIT_API char *CONFKIT_CALL SearchForHandler(const char *directive, const char *value,
                                                int32_t field, ConfigDocument *doc);
/* A delimiter character that does not occur in text. */
CONFKIT_API int32_t CONFKIT_CALL FindDelimeter(const char *text);
/* Appends one comma-separated group built from list to buffer. Returns 0. */
CONFKIT_API int32_t CONFKIT_CALL AddToBuffer(char *buffer, const char *prefix, const char *list);

#ifdef __cplusplus
}
#endif

#endif /* CONFKIT_H */
