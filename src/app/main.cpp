// tarnisk: the viewer's entry point.
int main() { return 0; }
