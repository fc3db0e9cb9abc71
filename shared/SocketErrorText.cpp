#include "shared/SocketErrorText.h"

const char* SocketErrorText(platform::TErrorEvent kind) {
    switch (kind) {
    case platform::eeGeneral:
        return "Socket Error";
    case platform::eeSend:
        return "Socket writing error";
    case platform::eeReceive:
        return "Socket reading error";
    case platform::eeConnect:
        return "Could not connect to the server";
    case platform::eeDisconnect:
        return "Socket disconnection error";
    case platform::eeAccept:
        return "Waiting error";
    case platform::eeLookup:
        return "";
    }
    return "";
}
