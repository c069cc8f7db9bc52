// The translation unit that the tests' precompiled header is made for; it
// needs nothing of its own.
