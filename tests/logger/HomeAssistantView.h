#pragma once

#include "MqttSubscriber.h"

#include <map>
#include <regex>
#include <string>
#include <vector>

// What the home-automation system shows of the discovered sensors, from the messages a
// subscriber received: each config's value template applied to the newest state, "unavailable"
// while its availability topic last said the other payload, "unknown" for a template that
// gives None. Only the form the configs use is understood:
// "{{ value_json.KEY if value_json.KEY is defined else None }}".
class ThomeAssistantView {
public:
    explicit ThomeAssistantView(const std::vector<TreceivedMessage>& messages) {
        std::map<std::string, std::string> last;
        for (const TreceivedMessage& m : messages)
            last[m.topic] = m.payload;
        for (const auto& [topic, config] : last)
            if (topic.starts_with("homeassistant/sensor/") && topic.ends_with("/config"))
                shown[member(config, "unique_id")] = show(config, last);
    }

    // The shown state by unique id ("" for an entity that was not discovered).
    std::string state(const std::string& uniqueId) const {
        auto it = shown.find(uniqueId);
        return it == shown.end() ? "" : it->second;
    }
    std::size_t entities() const { return shown.size(); }

    // A member of a flat JSON object, as text: a string without its quotes, or a number.
    static std::string member(const std::string& json, const std::string& key) {
        std::smatch m;
        std::regex pattern("\"" + key + "\":(\"((?:[^\"\\\\]|\\\\.)*)\"|(-?[0-9.]+))");
        if (!std::regex_search(json, m, pattern)) return {};
        return m[2].matched ? m[2].str() : m[3].str();
    }

private:
    static std::string show(const std::string& config,
                            const std::map<std::string, std::string>& last) {
        auto status = last.find(member(config, "availability_topic"));
        if (status == last.end() || status->second != member(config, "payload_available"))
            return "unavailable";
        auto state = last.find(member(config, "state_topic"));
        if (state == last.end()) return "unknown";
        std::string value = render(member(config, "value_template"), state->second);
        return value == "None" ? "unknown" : value;
    }

    // Any other form, the plain "{{ value_json.KEY }}" among them, is not understood.
    static std::string render(const std::string& text, const std::string& state) {
        static const std::regex guarded(
            R"(\{\{ value_json\.(\w+) if value_json\.(\w+) is defined else None \}\})");
        std::smatch m;
        if (!std::regex_match(text, m, guarded) || m[1] != m[2]) return "template not understood";
        bool defined = state.find("\"" + m[1].str() + "\":") != std::string::npos;
        return defined ? member(state, m[1]) : "None";
    }

    std::map<std::string, std::string> shown;
};
