// The help pages of the site, downloaded over HTTP into memory.
#include "platform/help_pages.h"

#include "platform/http.h"

namespace kx {

std::optional<std::string> SiteHelpPages::fetch(std::string_view url) {
    return httpGetBody(std::string(url), maxBodyBytes);
}

}  // namespace kx
