#include "guard.h"

#include "data/dberror.h"
#include "messages.h"

namespace guard {

bool run(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const DbError &e) {
        messages::showError(e);
    } catch (const std::exception &e) {
        messages::showError(e);
    }
    return false;
}

} // namespace guard
