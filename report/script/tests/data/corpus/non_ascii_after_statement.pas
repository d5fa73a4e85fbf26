function F: Integer;
begin
  Result := 1; ☕
end;
