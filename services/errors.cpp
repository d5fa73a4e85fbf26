#include "services/errors.h"

#include "platform/base/messages.h"

namespace {

QString TextOf(int ident, const QString& path) {
    static const bool declared = [] {
        base::DeclareMessages({{42500, "The %s file does not exist"}, {42501, "The %s directory does not exist"}});
        return true;
    }();
    (void)declared;
    return base::FormatText(base::MessageText(ident), {path});
}

}  // namespace

EInOutError::EInOutError(int ident, const QString& path) : base::Exception(TextOf(ident, path), 0, ident) {}
