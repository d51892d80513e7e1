// placeholder until the view lands
