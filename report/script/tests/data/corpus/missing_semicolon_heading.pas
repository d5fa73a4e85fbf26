procedure A begin end;
