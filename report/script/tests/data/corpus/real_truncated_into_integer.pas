function F: Integer;
begin
  Result := 0.5 + 2.25;
end;
