// placeholder, replaced by the real class
