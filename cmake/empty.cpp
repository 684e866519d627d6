// Placeholder translation unit for a library folder with no classes yet.
