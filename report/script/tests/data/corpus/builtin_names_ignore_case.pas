function F: Integer;
begin
  Result := LENGTH(copy('abcdef', 2, 3));
end;
