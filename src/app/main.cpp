// Placeholder until the Qt entry lands.
int main() { return 0; }
