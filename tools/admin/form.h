// Decoding of submitted HTML forms (application/x-www-form-urlencoded).
#ifndef ADMIN_FORM_H
#define ADMIN_FORM_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace admin {

// The fields of a submitted form, in the order they were sent. A name may
// occur several times (a group of check boxes).
class Form {
  public:
    void Add(std::string name, std::string value) {
        fields_.emplace_back(std::move(name), std::move(value));
    }
    bool Has(std::string_view name) const;
    // The first value of the field, or nothing when it was not sent.
    std::optional<std::string> Get(std::string_view name) const;
    // Every value of the field, in the order sent.
    std::vector<std::string> All(std::string_view name) const;
    const std::vector<std::pair<std::string, std::string>> &Fields() const { return fields_; }

  private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

// Limits on what a form may hold; a request beyond them is refused.
constexpr std::size_t kMaxFormBytes = 256 * 1024;
constexpr std::size_t kMaxFields = 512;

// Decodes a form body. "+" is a space and "%XY" the byte of two hexadecimal
// digits. Nothing is returned, and why is said in error, for a malformed
// body: a "%" without two hexadecimal digits after it, a NUL byte, a field
// without a name, or more than kMaxFields fields. Empty pieces between "&"
// separators are ignored, as browsers never send them but some clients do.
std::optional<Form> DecodeForm(std::string_view body, std::string &error);

} // namespace admin

#endif
