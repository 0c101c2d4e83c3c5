#pragma once

// Every program of the launcher calls IgnoreBrokenPipes first. A server that drops a
// connection (a directory's idle timeout, a restarted catalogue server) must be an error to
// report, never a signal that ends the process without a word: writing to such a socket
// (libldap's TLS close, for one, which cannot ask for MSG_NOSIGNAL) raises SIGPIPE, whose
// default is to end the process. Ignored, the write fails with EPIPE and the caller reports it.
void IgnoreBrokenPipes();

// An ignored signal stays ignored across exec: a program the launcher starts gets SIGPIPE's
// default back, between fork and exec (async-signal-safe).
void RestoreBrokenPipesInChild();
