#include "support/window_flows.h"

#include <gtest/gtest.h>

#include "res/resource_ids.h"

Outcome WaitForOutcome(const SetupProcess& setup, DWORD timeoutMs) {
  Outcome outcome;
  const auto done = setup.WaitForMessageBox(timeoutMs);
  if (!done) {
    ADD_FAILURE() << "no closing message";
    return outcome;
  }
  outcome.message = done->text;
  outcome.step = setup.ControlText(IDC_STEP_LINE);
  outcome.status = setup.ControlText(IDC_STATUS_LINE);
  outcome.log = setup.ControlText(IDC_LOG_PANE);
  setup.Answer(*done, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(done->window); }));
  return outcome;
}

Outcome RunOperation(const SetupProcess& setup, int buttonId, const std::wstring& question) {
  setup.Click(buttonId);
  const auto box = setup.WaitForMessageBox();
  if (!box) {
    ADD_FAILURE() << "no question";
    return {};
  }
  if (!question.empty()) {
    EXPECT_EQ(box->text, question);
  }
  setup.Answer(*box, IDYES);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
  return WaitForOutcome(setup);
}
