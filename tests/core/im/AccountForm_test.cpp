#include "im/AccountForm.h"

#include <gtest/gtest.h>

#include <optional>

namespace im {
namespace {

TEST(AccountForm, FirstProblemInTheFormsOrder) {
    const std::optional<FormProblem> none;
    const FormProblem address{FormField::Address, kAddressProblem};
    const FormProblem password{FormField::Password, kPasswordProblem};
    const FormProblem port{FormField::Port, kPortProblem};
    struct Row {
        AccountFields fields;
        std::optional<FormProblem> expected;
    } rows[] = {
        {{"anna@example.org", "", true, false}, none},
        {{"  anna@example.org \r\n", " 5223 ", true, false}, none}, // blanks around are dropped
        {{"anna@example.org", "", false, true}, none},              // the stored one stays
        {{"anna@example.org", "65535", true, false}, none},
        {{"anna@example.org", "", false, false}, password},
        {{"anna", "", true, false}, address},
        {{"anna@", "", true, false}, address},
        {{"an na@example.org", "", true, false}, address},
        {{"anna@b@example.org", "", true, false}, address},
        {{"anna@example.org/home", "", true, false}, address},
        {{"anna", "0", false, false}, address}, // the first problem only
        {{"anna@example.org", "0", true, false}, port},
        {{"anna@example.org", "65536", true, false}, port},
        {{"anna@example.org", "99999999999999999999", true, false}, port},
        {{"anna@example.org", "52 22", true, false}, port},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "'" << row.fields.address << "' port '" << row.fields.port << "' password "
                     << row.fields.passwordGiven);
        EXPECT_EQ(CheckAccountFields(row.fields), row.expected);
    }
    EXPECT_EQ(ParsePort(" 0080 "), 80);
}

} // namespace
} // namespace im
