// Fontconfig keeps its configuration and caches for the life of the process and never frees
// them; the leak checker must not count those against the toolkit.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
