#pragma once
// The idle dispatcher: runs the deferred work that the state asks for, as planned by PlanIdle.

#include "idle_planner.h"
#include "main_state.h"

class TFrameHost;
class TPrompter;

TIdleFlags IdleFlags(const TMainState& state);
void doidle(TMainState& state, TFrameHost& host, TPrompter& prompter);

// Message 2049: the pending camera source becomes CameraSource. Answers whether there was one.
bool TakeCameraSource(TMainState& state);
