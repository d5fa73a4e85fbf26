#pragma once

#include <exception>

namespace core {

/// The program's last-resort handler for a failure no other code handled: arrow cursor,
/// a beep, then one message by the kind of failure (error icon and OK):
///
/// | failure                               | help context |
/// |---------------------------------------|--------------|
/// | out of memory (std::bad_alloc)        | 10054        |
/// | conversion error (EConvertError)      | 10055        |
/// | engine key violation (code 9729)      | 10058        |
/// | other engine error                    | 10059        |
/// | anything else                         | 10060        |
///
/// The program goes on afterwards.
void ShowLastResortError(const std::exception& error);
void ShowLastResortUnknownError();

/// Runs `body`, handing any exception to the last-resort handler; true when it finished.
template <typename F>
bool RunLastResort(F&& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        ShowLastResortError(e);
    } catch (...) {
        ShowLastResortUnknownError();
    }
    return false;
}

}  // namespace core
