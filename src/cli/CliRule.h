#pragma once

// The rule of a rinoza-cli run changed from the command line (--set KEY=VALUE and the options that
// stand for keys), for that run only, and the rule as --show-rule prints it.

#include "rename/RuleSetStore.h"

#include <string>
#include <vector>

namespace rinoza::cli {

// One change of the rule, in the order the command line gives them: a key of the settings file set
// to a value, or (key empty) the element `tick` (1..9) ticked wherever it stands in the order.
struct RuleEdit {
    std::string option; // as the user wrote it ("--set", "--fixed1", ...), for messages
    std::string key;
    std::string value;
    int tick = 0;
    bool operator==(const RuleEdit&) const = default;
};

// The message when the edit can never apply: an unknown key or a value its key does not take
// (RuleSetStore::setKey), worded for the option that made it. "" when it can.
std::string ruleEditError(const RuleEdit& edit);

// Applies the edits in order to rule. Throws UsageError for an edit that ruleEditError refuses, and
// when the rule they leave holds an element twice in its order or a replacement text with a character
// that a file name cannot hold.
void applyRuleEdits(const std::vector<RuleEdit>& edits, StoredRuleSet& rule);

// The rule in element order, one "KEY=VALUE" line each, as --set takes them back: for each position
// its element (Chg), its tick (ChgB) and the keys of that element, then the conversions of the whole
// name. Values are written readably (control characters escaped).
std::string ruleText(const StoredRuleSet& rule);

} // namespace rinoza::cli
