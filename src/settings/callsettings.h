#pragma once

#include <optional>
#include <string>

class SettingsStore;

// The settings a call line, the line set and the signalling go by: who this
// side says it is, the connection password and who may call. Read afresh
// each time. Main thread.
class CallSettings {
 public:
  // Not explicit: any settings store is also its call settings.
  CallSettings(SettingsStore& store) : store_(store) {}  // NOLINT(google-explicit-constructor)

  // The handle sent as this side's name; none when empty.
  std::optional<std::string> UserName() const;
  // A password is asked of callers, and sent to the called side.
  bool PasswordOn() const;
  // The password as stored, in its stored form.
  std::string StoredPassword() const;
  // Only clients of the list may call.
  bool OnlyClientsMayCall() const;
  // The client called when the program starts; "" for none.
  std::string AutoCallAddress() const;
  // The automatic call looks the client's name up first.
  bool AutoCallWithDns() const;

 private:
  SettingsStore& store_;
};
