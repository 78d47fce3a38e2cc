#include "edit/ElementClipboard.h"

namespace h5 {

ElementClipboard &applicationClipboard()
{
    static ElementClipboard clipboard;
    return clipboard;
}

} // namespace h5
