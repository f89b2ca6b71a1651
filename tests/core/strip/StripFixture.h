#pragma once
// A strip on a fake host and fake surfaces, with the settings a first run gives; the
// settings record is put back as it was after each test.
#include <gtest/gtest.h>

#include "app/modSettings.h"
#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "fakes/FakeSurface.h"
#include "strip/colMsg.h"

class StripFixture : public ::testing::Test {
  protected:
    StripFixture() : saved_(modSettings::Settings()) {
        auto& s = modSettings::Settings();
        s.Says = u"says: ";
        s.ShowEmo = true;
        s.NameMode = 0;
        s.PlaceHolder = u"#";
        s.UnreadMail = u"You've got # unread mail(s).";
        s.BuddyLogon = u"has signed in.";
        s.BuddyLogoff = u"has signed out.";
        host.messenger = &factory;
    }
    ~StripFixture() override { modSettings::Settings() = saved_; }

    modSettings::SettingsRecord& settings() { return modSettings::Settings(); }

    fakes::FakeStripHost host;
    fakes::FakeMessengerFactory factory;
    fakes::FakeSurfaceFactory surfaces;

  private:
    modSettings::SettingsRecord saved_;
};
