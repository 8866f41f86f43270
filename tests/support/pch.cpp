// The precompiled header of the tests is made from this file.
