#include "cli/CliRule.h"

#include "cli/CliOptions.h"
#include "cli/CliText.h"

namespace rinoza::cli {

namespace {

// The element an entry of the order stands for: the digit its caption starts with, else 0.
int elementOf(const RenameElement& e) {
    const char d = e.caption.empty() ? '\0' : e.caption.front();
    return d >= '1' && d <= '9' ? d - '0' : 0;
}

} // namespace

std::string ruleEditError(const RuleEdit& edit) {
    if (edit.key.empty())
        return {};
    StoredRuleSet scratch;
    std::string message = RuleSetStore::setKey(scratch, edit.key, edit.value);
    // An option other than --set speaks of itself, not of the key behind it.
    if (!message.empty() && edit.option != "--set" && message.starts_with(edit.key))
        message = edit.option + message.substr(edit.key.size());
    return message;
}

void applyRuleEdits(const std::vector<RuleEdit>& edits, StoredRuleSet& rule) {
    if (edits.empty())
        return;
    for (const RuleEdit& edit : edits) {
        if (edit.key.empty()) {
            for (RenameElement& e : rule.rules.elements)
                if (elementOf(e) == edit.tick)
                    e.checked = true;
            continue;
        }
        if (const std::string message = ruleEditError(edit); !message.empty())
            throw UsageError(message);
        RuleSetStore::setKey(rule, edit.key, edit.value);
    }
    // Chg1..Chg9 swap elements a key at a time: what they leave must still hold each element once.
    bool seen[10] = {};
    for (const RenameElement& e : rule.rules.elements) {
        const int n = elementOf(e);
        if (n == 0 || seen[n])
            throw UsageError("Chg1 から Chg9 には要素 1 から 9 を1つずつ指定して下さい: " + e.caption);
        seen[n] = true;
    }
    if (const std::string message = RuleSetStore::replacementTextError(rule.rules); !message.empty())
        throw UsageError(message);
}

std::string ruleText(const StoredRuleSet& rule) {
    std::string text;
    const auto add = [&text](const std::string& key, std::string_view value) {
        text += key;
        text += '=';
        appendReadable(text, value);
        text += '\n';
    };
    for (int p = 1; p <= 9; ++p) {
        const RenameElement& e = rule.rules.elements[static_cast<std::size_t>(p - 1)];
        add("Chg" + std::to_string(p), e.caption);
        add("ChgB" + std::to_string(p), e.checked ? "1" : "0");
        for (const auto& [key, value] : RuleSetStore::elementKeys(rule, elementOf(e) == 0 ? -1 : elementOf(e)))
            add(key, value);
    }
    for (const auto& [key, value] : RuleSetStore::elementKeys(rule, 0))
        add(key, value);
    return text;
}

} // namespace rinoza::cli
