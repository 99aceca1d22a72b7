// The pure parts of connecting and of the update check: destination texts, the simulated hosts'
// refusals, the recent-destinations list, the update service's answer and the check's period.
#include "RemoteHosts.h"
#include "zoltMruDest.h"
#include "zoltWebCheck.h"

#include "cui/WebUpdate.h"
#include "tremorybase/Config.h"

#include <gtest/gtest.h>

namespace {

std::string Text(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

std::vector<std::string> Hosts(const MruDestList &list)
{
   std::vector<std::string> hosts;
   for (const MruDestList::value_type &entry : list) {
      hosts.push_back(Text(entry.first) + "/" + Text(entry.second));
   }
   return hosts;
}

MruDestItem Item(bool present, const std::string &dest, const std::string &user, long index)
{
   MruDestItem item;
   item.present = present;
   item.destString = dest;
   item.user = user;
   item.index = index;
   return item;
}

}  // namespace

TEST(Destination, HostPortAndUserAreTakenApart)
{
   vmdb::Destination dest;
   std::string error;
   ASSERT_TRUE(vmdb::ParseDestination("  Far.Example ", dest, error)) << error;
   EXPECT_EQ(dest.host, "far.example");
   EXPECT_EQ(dest.port, 0u);
   EXPECT_EQ(dest.user, "");

   ASSERT_TRUE(vmdb::ParseDestination("joe@farhost:903", dest, error)) << error;
   EXPECT_EQ(dest.user, "joe");
   EXPECT_EQ(dest.host, "farhost");
   EXPECT_EQ(dest.port, 903u);

   // The last '@' ends the user name; an IPv6 address takes its port after the bracket.
   ASSERT_TRUE(vmdb::ParseDestination("ann@corp@[FE80::1]:65535", dest, error)) << error;
   EXPECT_EQ(dest.user, "ann@corp");
   EXPECT_EQ(dest.host, "fe80::1");
   EXPECT_EQ(dest.port, 65535u);
   ASSERT_TRUE(vmdb::ParseDestination("fe80::2", dest, error)) << error;
   EXPECT_EQ(dest.host, "fe80::2") << "an address without brackets has no port";
   EXPECT_EQ(dest.port, 0u);
}

TEST(Destination, MalformedTextsAreRefusedWithAReason)
{
   vmdb::Destination dest;
   for (const char *text : {"", "   ", "joe@", ":902", "host:", "host:0", "host:65536", "host:9x", "host:-1",
                            "[fe80::1", "[fe80::1]x", "[fe80::1]:"}) {
      std::string error;
      EXPECT_FALSE(vmdb::ParseDestination(text, dest, error)) << text;
      EXPECT_FALSE(error.empty()) << text;
   }
}

TEST(RemoteHosts, ConfiguredHostsTheirPortsUsersAndMachines)
{
   Config_Set("test.remoteHosts", "near, Far.Example:903");
   Config_Set("test.remotePassword", "common");
   Config_Set("test.remoteHost.far.example.users", "joe:secret, ann:pa:ss");
   Config_Set("test.remoteHost.far.example.vms", "C:\\vms\\a.vmx; C:\\vms\\b b.vmx;");
   Config_Set("test.remoteHost.near.noAnswer", "true");

   vmdb::RemoteHost host;
   EXPECT_FALSE(vmdb::RemoteHosts::Find("elsewhere", host));
   ASSERT_TRUE(vmdb::RemoteHosts::Find("FAR.example", host));
   EXPECT_EQ(host.name, "far.example");
   EXPECT_EQ(host.port, 903u);
   EXPECT_EQ(host.vms, (std::vector<std::string>{"C:\\vms\\a.vmx", "C:\\vms\\b b.vmx"}));
   EXPECT_FALSE(host.noAnswer);
   // Its own users replace the common password; a password may hold a colon.
   EXPECT_TRUE(vmdb::RemoteHosts::Accepts(host, "joe", "secret"));
   EXPECT_TRUE(vmdb::RemoteHosts::Accepts(host, "ann", "pa:ss"));
   EXPECT_FALSE(vmdb::RemoteHosts::Accepts(host, "joe", "common"));
   EXPECT_FALSE(vmdb::RemoteHosts::Accepts(host, "bob", "secret"));

   ASSERT_TRUE(vmdb::RemoteHosts::Find("near", host));
   EXPECT_EQ(host.port, vmdb::RemoteHosts::kDefaultPort);
   EXPECT_TRUE(host.noAnswer);
   EXPECT_TRUE(vmdb::RemoteHosts::Accepts(host, "anyone", "common"));
   EXPECT_FALSE(vmdb::RemoteHosts::Accepts(host, "anyone", "Common"));

   for (const char *key : {"test.remoteHosts", "test.remotePassword", "test.remoteHost.far.example.users",
                           "test.remoteHost.far.example.vms", "test.remoteHost.near.noAnswer"}) {
      Config_Set(key, "");
   }
}

TEST(MruDest, StoredItemsGiveTheListInIndexOrder)
{
   std::vector<MruDestItem> items = {Item(true, "c", "u3", 2),     Item(true, "a", "u1", 0),
                                     Item(false, "gone", "x", 1),  Item(true, "late", "u9", 3),
                                     Item(true, "", "empty", 1),   Item(true, "neg", "x", -1),
                                     Item(true, "a2", "u1b", 0)};
   // A later element of the same index wins; absent, empty, out-of-range ones do not show.
   EXPECT_EQ(Hosts(mrudest::FromItems(items, 3)), (std::vector<std::string>{"a2/u1b", "c/u3"}));
   EXPECT_EQ(Hosts(mrudest::FromItems(items, 4)), (std::vector<std::string>{"a2/u1b", "c/u3", "late/u9"}));
   for (long unusable : {0L, -1L, 2000L, 5000L}) {
      EXPECT_TRUE(mrudest::FromItems(items, unusable).empty()) << unusable;
   }
   EXPECT_TRUE(mrudest::IsUsableLength(1));
   EXPECT_TRUE(mrudest::IsUsableLength(1999));
}

TEST(MruDest, AConnectionGoesFirstOnceAndTheListStaysBounded)
{
   MruDestList list = {{"a", "u1"}, {"b", "u2"}, {"c", "u3"}};
   EXPECT_EQ(Hosts(mrudest::Updated(list, "new", "me", 3)), (std::vector<std::string>{"new/me", "a/u1", "b/u2"}));
   EXPECT_EQ(Hosts(mrudest::Updated(list, "b", "other", 3)), (std::vector<std::string>{"b/other", "a/u1", "c/u3"}))
      << "the old entry goes";
   EXPECT_EQ(Hosts(mrudest::Updated(list, "B", "x", 5)), (std::vector<std::string>{"B/x", "a/u1", "b/u2", "c/u3"}))
      << "another letter case is another destination";
   EXPECT_EQ(Hosts(mrudest::Updated(list, "new", "me", 2000)), (std::vector<std::string>{"new/me"}));
   EXPECT_EQ(Hosts(mrudest::Updated(MruDestList(), "new", "me", 1)), (std::vector<std::string>{"new/me"}));
}

TEST(MruDest, WipedTextsLeaveNoCharactersInSharedCopies)
{
   _bstr_t password("s3cret");
   _bstr_t shared = password;
   const char *narrow = static_cast<const char *>(shared);
   ASSERT_STREQ(narrow, "s3cret");
   const wchar_t *wide = static_cast<const wchar_t *>(shared);
   WipeText(password);
   EXPECT_EQ(password.length(), 0u);
   EXPECT_EQ(wide[0], L'\0') << "the copy shares the wiped characters";
   EXPECT_EQ(narrow[0], '\0');
}

TEST(WebUpdateAnswer, TheThreeAnswersAndTheirFields)
{
   cui::WebUpdateAnswer answer;
   std::string error;
   ASSERT_TRUE(cui::ParseWebUpdateAnswer("answer = \"upToDate\"\n", answer, error)) << error;
   EXPECT_EQ(answer.kind, cui::WebUpdateAnswer::UP_TO_DATE);

   ASSERT_TRUE(cui::ParseWebUpdateAnswer("# the service\nanswer = \"available\"\nversion = \"6.1\"\n"
                                         "url = \"https://updates.example/6.1\"\ninfo = \"Fixes\\nmore\"\n",
                                         answer, error))
      << error;
   EXPECT_EQ(answer.kind, cui::WebUpdateAnswer::AVAILABLE);
   EXPECT_EQ(answer.version, "6.1");
   EXPECT_EQ(answer.url, "https://updates.example/6.1");
   EXPECT_EQ(answer.info, "Fixes\nmore");
   EXPECT_EQ(answer.message, "");

   ASSERT_TRUE(cui::ParseWebUpdateAnswer("answer = \"error\"\nerror = \"Service down\"\n", answer, error));
   EXPECT_EQ(answer.kind, cui::WebUpdateAnswer::FAILED);
   EXPECT_EQ(answer.error, "Service down");
   ASSERT_TRUE(cui::ParseWebUpdateAnswer("answer = \"error\"\n", answer, error));
   EXPECT_FALSE(answer.error.empty()) << "a failure always says something";
}

TEST(WebUpdateAnswer, UnreadableAnswersAreRefused)
{
   cui::WebUpdateAnswer answer;
   for (const char *text : {"", "version = \"6.1\"\n", "answer = \"maybe\"\n", "answer = \"available\"\n",
                            "answer = upToDate\n"}) {
      std::string error;
      EXPECT_FALSE(cui::ParseWebUpdateAnswer(text, answer, error)) << text;
      EXPECT_FALSE(error.empty()) << text;
   }
}

TEST(WebUpdateCheck, ThePeriodDecidesWhenAnAutomaticCheckIsDue)
{
   const long long day = 86400;
   EXPECT_EQ(cui::WebUpdateCheckPeriod("", ""), day) << "daily unless the user chose";
   EXPECT_EQ(cui::WebUpdateCheckPeriod("weekly", ""), 7 * day);
   EXPECT_EQ(cui::WebUpdateCheckPeriod("monthly", ""), 30 * day);
   EXPECT_EQ(cui::WebUpdateCheckPeriod("custom", "3"), 3 * day);
   EXPECT_EQ(cui::WebUpdateCheckPeriod("custom", "x"), 0);
   EXPECT_EQ(cui::WebUpdateCheckPeriod("custom", "-2"), 0);
   EXPECT_EQ(cui::WebUpdateCheckPeriod("manual", ""), 0);

   const long long now = 1700000000;
   EXPECT_TRUE(cui::IsWebUpdateCheckDue(day, "", now)) << "never checked";
   EXPECT_TRUE(cui::IsWebUpdateCheckDue(day, "soon", now));
   EXPECT_FALSE(cui::IsWebUpdateCheckDue(day, std::to_string(now - day + 1), now));
   EXPECT_TRUE(cui::IsWebUpdateCheckDue(day, std::to_string(now - day), now));
   EXPECT_TRUE(cui::IsWebUpdateCheckDue(day, std::to_string(now + 10), now)) << "a clock set back";
   EXPECT_FALSE(cui::IsWebUpdateCheckDue(0, "", now)) << "manual: never on its own";
}

TEST(WebCheckTexts, OnlyWebAddressesGoToTheBrowser)
{
   for (const char *url : {"http://updates.example/", "HTTPS://updates.example/6.1?a=b", "https://h"}) {
      EXPECT_TRUE(IsWebAddress(url)) << url;
   }
   for (const char *url : {"", "file:///C:/Windows/notepad.exe", "C:\\Windows\\notepad.exe", "javascript:alert(1)",
                           "ftp://updates.example/", "https://", "https:///path", "http://a b/", "http://a\tb",
                           "mailto:x@example", "\\\\server\\share\\setup.exe", " http://lead.example/",
                           "http://x/\"quoted\""}) {
      EXPECT_FALSE(IsWebAddress(url)) << url;
   }
}

TEST(WebCheckTexts, PeriodAndTimeTexts)
{
   EXPECT_EQ(CheckPeriodText("custom", "3"), "Every 3 days");
   EXPECT_EQ(CheckPeriodText("custom", "%1!s!%2"), "Every %1!s!%2 days") << "the value is never a format";
   EXPECT_EQ(CheckPeriodText("weekly", ""), "Every week");
   EXPECT_EQ(CheckPeriodText("manual", ""), "Never");
   EXPECT_EQ(CheckPeriodText("sometimes", ""), "");
   EXPECT_EQ(CheckTimeText(""), "");
   EXPECT_EQ(CheckTimeText("12ab"), "") << "not a 1970 date";
   EXPECT_NE(CheckTimeText("1700000000").find("2023"), std::string::npos) << CheckTimeText("1700000000");
}
