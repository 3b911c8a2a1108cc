// Filled by the headless host.
