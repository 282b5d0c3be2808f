#pragma once
// The limits the probe holds itself to, so that a file that makes a parser allocate without end
// or compute for ever ends the probe instead of the machine's patience: the address space for
// the probe's whole life, the processor time for each request.
namespace ProbeLimits {

// The address space: set once at start. Not under AddressSanitizer, whose shadow memory alone
// reserves terabytes of addresses.
void limitMemory();

// From now, `seconds` more of processor time before the system ends the probe (SIGXCPU).
void allowProcessorSeconds(int seconds);

} // namespace ProbeLimits
