// The blank forms that put or delete one entry, as their declarations draw
// them.
#include "block_forms.h"

#include "drawn_page.h"

#include <gtest/gtest.h>

namespace {

using page::Form;
using page::FormField;
using pagetest::Count;
using pagetest::Drawn;

struct Drawing {
    const Form &(*form)();
    std::string (*part)(const page::Drawing &);
};

const Drawing kForms[] = {
    {page::ProtectPutForm, page::ProtectFormsHtml},
    {page::ProtectDeleteForm, page::ProtectFormsHtml},
    {page::PicsPutForm, page::PicsFormsHtml},
    {page::PicsDeleteForm, page::PicsFormsHtml},
};

// Each form posts its operation with the page's hidden fields, and draws
// every declared field once with its name and label; required text fields
// say so, and a position offers its options with their labels.
TEST(BlockForms, EveryDeclaredFieldIsDrawnWithItsNameAndLabel) {
    Drawn d("");
    d.options.action = "/a?b=\"c\"";
    d.options.formFields = {{"token", "t<1>"}};
    for (const Drawing &k : kForms) {
        const Form &form = k.form();
        const std::string html = page::BlankFormHtml(form, d.drawing());
        EXPECT_NE(k.part(d.drawing()).find(html), std::string::npos) << form.id;
        EXPECT_EQ(
            html.rfind("<form id=\"" + form.id +
                           "\" class=\"edit\" method=\"post\" action=\"/a?b=&quot;c&quot;\">\n"
                           "<input type=\"hidden\" name=\"token\" value=\"t&lt;1&gt;\">\n"
                           "<input type=\"hidden\" name=\"op\" value=\"" +
                           form.id + "\">\n",
                       0),
            0u)
            << html;
        for (const FormField &f : form.fields) {
            const std::string name = "name=\"" + f.name + "\"";
            EXPECT_EQ(Count(html, name), 1u) << form.id << " " << f.name;
            EXPECT_NE(html.find("<label>" + f.label + " "), std::string::npos) << f.name;
            const bool required = html.find(name + " size=\"" + std::to_string(f.size) +
                                            "\" required>") != std::string::npos;
            EXPECT_EQ(required, f.required) << form.id << " " << f.name;
            for (const page::Option &o : f.options)
                EXPECT_NE(html.find("<option value=\"" + o.value + "\">" + o.label + "</option>"),
                          std::string::npos)
                    << o.value;
        }
    }
}

// The code that applies a form reads its fields by these names: each is a
// field of the forms that use it, and a form's summary names a field of it.
TEST(BlockForms, TheNamesReadBackAreDeclaredFields) {
    namespace f = page::blockfield;
    const struct {
        const Form &form;
        std::vector<const char *> names;
    } uses[] = {
        {page::ProtectPutForm(), {f::kTemplate, f::kSetup, f::kAddress, f::kPosition, f::kAnchor}},
        {page::ProtectDeleteForm(), {f::kTemplate}},
        {page::PicsPutForm(), {f::kName, f::kDescription, f::kDays, f::kStart, f::kEnd}},
        {page::PicsDeleteForm(), {f::kName}},
    };
    for (const auto &u : uses) {
        EXPECT_EQ(u.form.fields.size(), u.names.size()) << u.form.id;
        for (const char *name : u.names)
            EXPECT_NE(page::FindField(u.form, name), nullptr) << u.form.id << " " << name;
        EXPECT_NE(page::FindField(u.form, u.form.subject), nullptr) << u.form.id;
    }
    const FormField *position = page::FindField(page::ProtectPutForm(), f::kPosition);
    ASSERT_NE(position, nullptr);
    std::vector<std::string> values; // in the order the applying code maps them
    for (const page::Option &o : position->options)
        values.push_back(o.value);
    EXPECT_EQ(values, (std::vector<std::string>{"before", "after", "replace"}));
}

} // namespace
