// The program behind each window layer's link check (src/CMakeLists.txt):
// it does nothing; linking it is the check.
int main() { return 0; }
