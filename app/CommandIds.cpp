#include "app/CommandIds.h"

const char* CommandName(TCommandId Id) {
    static const char* const names[] = {
#define REELIX_COMMAND_NAME(name) #name,
        REELIX_COMMANDS(REELIX_COMMAND_NAME)
#undef REELIX_COMMAND_NAME
    };
    const int i = static_cast<int>(Id);
    return i >= 0 && i < static_cast<int>(TCommandId::Count) ? names[i] : "";
}
