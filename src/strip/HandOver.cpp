#include "strip/HandOver.h"

#include "strip/StripHost.h"
#include "strip/colMsg.h"

namespace gb {
namespace {

bool PassesOn(const clsItem& item) {
    if (const auto* s = item.As<clsString>()) return s->hWnd() == -1;
    if (const auto* e = item.As<clsEmo>()) return e->hWnd() == -1;
    return false;
}

} // namespace

void HandClickOn(const StripHost& host, std::size_t index) {
    colMsg* bar = host.bar ? host.bar->BarStrip() : nullptr;
    if (bar == nullptr) return;
    for (std::size_t next = index + 1;; ++next) {
        clsItem* item = bar->Item(next);
        if (item == nullptr) return;
        if (!PassesOn(*item)) {
            item->OnClick(next);
            return;
        }
    }
}

} // namespace gb
