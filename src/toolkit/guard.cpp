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
        messages::showError(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace guard
