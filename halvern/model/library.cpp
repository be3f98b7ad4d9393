// Placeholder translation unit until the drawing model lands.
