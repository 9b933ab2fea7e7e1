// Placeholder so the build configures; replaced by its owner.
int placeholder_placeholder() { return 0; }
