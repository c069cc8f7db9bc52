#pragma once

#include <string>

struct ViewerOptions;

/// Ending a run before its time without losing what it has done. Two things
/// stop a run early: SIGINT or SIGTERM, and a RIB output that has failed (a
/// write that did not go through, a renderer that has exited). Neither ends
/// the process where it happens; the run asks isStopRequested() between
/// steps, when the last frame is whole, and then ends with endStoppedRun().

/// Sets the run up to be stopped: SIGINT and SIGTERM only record that they
/// came, and the RenderMan error handler keeps the first report of a failed
/// output (RIE_SYSTEM) while the output is open for the run's own last line
/// instead of printing it. An output that cannot be opened (RIE_NOFILE)
/// ends the process with its message and status 1. Every other report,
/// those of the final RiEnd included, is printed by RiErrorPrint. Remembers where
/// `options` send the RIB output, for the messages. Call once, before the
/// first step.
///
/// Each signal handler serves one signal: after it, the signal takes its
/// default action again, so that a second Ctrl-C still ends a run that is
/// stuck (say, writing into a renderer that has stopped reading without
/// exiting).
void guardRun(const ViewerOptions& options);

/// True once a stop signal has come or the RIB output has failed.
bool isStopRequested();

/// Ends a run that was asked to stop, after its last whole step: finishes
/// the RenderMan output with RiEnd, so that a file ends with a whole frame,
/// and writes one line on standard error with what was done. Returns the
/// exit status: 1 when the output failed ("blorp: stopped after N steps:
/// the RIB output to NAME failed: REASON"), otherwise 128 plus the signal's
/// number (130 for SIGINT, 143 for SIGTERM), with the steps and frames done
/// and where they went. With one file per frame, NAME is the frame's file
/// and both lines name the last file written whole.
int endStoppedRun();

/// Frames World::exportFrame has written so far: its first call writes one,
/// then every eighth. With one file per frame, the files written whole.
long framesWritten();

/// With one file per frame: "the last whole file is NAME", or that none was.
std::string lastFileText();

/// The reason in a library report about frame file `file` (opened under its
/// partial name): the text after that name, or failureReason(message).
std::string frameFileFailureReason(const std::string& message, const std::string& file);

/// The RIB output as the messages name it: --rib's value, or "standard
/// output" for "-".
std::string targetText(const std::string& target);

/// The reason in a report of a failed RIB output, which reads "what went
/// wrong with OUTPUT: REASON", where OUTPUT is quoted or "standard output";
/// the whole message when it has no such reason.
std::string failureReason(const std::string& message);
