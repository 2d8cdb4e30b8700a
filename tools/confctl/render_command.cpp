// confctl render: the administration page of the configuration, as HTML.
#include "command.h"
#include "page.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace confctl {
namespace {

struct RenderOptions {
    std::string file;
    std::string action;
    std::string acl;
};

int Render(const RenderOptions &o) {
    const auto session = OpenReading(o.file);
    const confkit::Document &doc = session.doc();
    page::PageOptions options;
    options.action = o.action;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> acl(nullptr, std::fclose);
    if (!o.acl.empty()) {
        acl.reset(std::fopen(o.acl.c_str(), "r"));
        if (!acl) throw Failure(o.acl + ": " + std::strerror(errno));
        options.aclFile = acl.get();
        options.aclName = o.acl;
    }
    page::PrintAdministrationPage(doc, options);
    return kOk;
}

} // namespace

void AddRenderCommand(CLI::App &app, Runner &run) {
    auto o = std::make_shared<RenderOptions>();
    CLI::App *sub = AddFileCommand(
        app, "render", "Print the HTML administration page of the configuration", o->file);
    sub->add_option("--action", o->action, "where the page's settings form is posted");
    sub->add_option("--acl", o->acl, "an access-control list file to show on the page");
    RunWith(sub, run, o, Render);
}

} // namespace confctl
