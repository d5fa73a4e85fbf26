function F: Integer;
begin
  Result := (1 + 2));
end;
