#pragma once
// A connection that records every send call, for checking the exact bytes and how they
// were split into sends.
#include "platform/Connection.h"

#include <string>
#include <vector>

class RecordingConnection : public platform::TConnection {
public:
    void SendText(const std::string& bytes) override {
        if (connected) sends.push_back(bytes);
    }
    bool Connected() const override { return connected; }

    // All bytes sent, in order.
    std::string All() const {
        std::string all;
        for (const auto& s : sends) all += s;
        return all;
    }
    // The sent bytes cut at every TAB: one entry per message, TAB included.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        std::string cur;
        for (char c : All()) {
            cur += c;
            if (c == '\t') {
                out.push_back(cur);
                cur.clear();
            }
        }
        if (!cur.empty()) out.push_back(cur);
        return out;
    }

    std::vector<std::string> sends;
    bool connected = true;
};
