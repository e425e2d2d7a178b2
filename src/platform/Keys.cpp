// Virtual key to framework key code.
#include "platform/Keys.h"

#include "core/Event.h"

namespace platform
{

int32_t TranslateVirtualKey(int32_t vk)
{
    if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return '0' + (vk - kVkNumpad0);
    switch (vk)
    {
        case kVkUp:
            return kKeyUp;
        case kVkDown:
            return kKeyDown;
        case kVkLeft:
            return kKeyLeft;
        case kVkRight:
            return kKeyRight;
        case kVkInsert:
            return kKeyInsert;
        case kVkPrior:
            return kKeyPageUp;
        case kVkNext:
            return kKeyPageDown;
        case kVkDelete:
            return kKeyDelete;
        case kVkMultiply:
            return '*';
        case kVkAdd:
            return '+';
        case kVkSeparator:
            return '\n';
        case kVkSubtract:
            return '-';
        case kVkDecimal:
            return '.';
        case kVkDivide:
            return '/';
        case kVkOem1:
            return ';';
        case kVkOemPlus:
            return '+';  // the equals key reads as plus
        case kVkOemComma:
            return ',';
        case kVkOemMinus:
            return '-';
        case kVkOemPeriod:
            return '.';
        case kVkOem2:
            return '/';
        case kVkOem3:
            return '`';
        case kVkOem4:
            return '[';
        case kVkOem5:
            return '\\';
        case kVkOem6:
            return ']';
        case kVkOem7:
            return '\'';
        default:
            return vk;
    }
}

}  // namespace platform
